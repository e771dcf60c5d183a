#pragma once
// Reads one system base table: every page the page scan filed under the table's object id,
// in the order the scan met them, and every usable record on each.
//
// A record is passed on when it is present, is not a large-object fragment (record kind
// 4), carries a fixed-length part, and (for the column tables and sysindexes) is not an
// index record (kind 3). Unreadable pages are skipped. The abort flag is polled before
// every page and every row; what was passed on stays.

#include <cstdint>
#include <functional>

#include "catalog/row_pieces.h"
#include "storage/page_address.h"

namespace portalmend {

class CPrimaryRecord;
class DatabaseFile;

struct SystemTableRead {
  std::int32_t object_id = 0;
  // Only pages of type 1 (data pages).
  bool data_pages_only = false;
  // Skip index records (the column tables and sysindexes).
  bool skip_index_records = false;
};

// The pieces of a record as the row decoders take them (views into the record).
RowPieces row_pieces_of(const CPrimaryRecord& record);

// Reads the table; calls on_row for each usable record (with the page it lies on) and
// after_page once each page's records are done. Returns the number of pages read.
std::size_t read_system_table(const DatabaseFile& file, const SystemTableRead& table,
                              const std::function<void(const RowPieces&, const PageRef&)>& on_row,
                              const std::function<void()>& after_page = {});

}  // namespace portalmend
