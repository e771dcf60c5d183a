#pragma once
// Text listings of what the record and boot page readers found, for the info and page
// commands.

#include <cstdio>
#include <optional>

#include "storage/boot_page.h"
#include "storage/page.h"
#include "values/collation_table.h"

namespace portalmend::cli {

// Prints the boot page lines of `info`: version number and text, database name, collation id,
// name and code page (name and code page from `table`, "unknown" when the id is not in it).
void print_boot_info(std::FILE* out, const std::optional<BootInfo>& boot, const CollationTable& table);

// Prints one line per record of the page: slot, offset, record type, flags, fixed data length,
// column count, null bitmap, each variable column's length (with * for a complex column) and
// the record length. Carved records are marked in the slot column.
void print_page_records(std::FILE* out, const PrimaryRecordPage& page);

}  // namespace portalmend::cli
