#pragma once
// Cutting a decoded record into one text per column of its table.
//
// A record (fixed data, null bitmap, variable values, sparse vector) knows nothing of the
// table's columns; the column descriptions say, column by column, where a value lies:
//
//   column kind      where its bytes are
//   hidden           nowhere (physical column id -99): the element keeps its text
//   sparse           the sparse vector entry whose column id equals the column's id
//   fixed            fixed data at leaf offset - 4 (leaf-offset reader) or legacy offset - 4
//                    (ordinal reader); else at the running fixed offset
//   variable         variable value number -(leaf offset) - 1, else the running variable index
//
// A variable value may be a complex column: 16 bytes starting with 0 are a text pointer, a
// value whose complex id is 2 or 4 is an in-row large-object root; both are followed into the
// large-object pages. Binary xml values are turned into text by the binary xml reader.
//
// Two readers: the leaf-offset reader relies on the physical placement the catalog found in
// sysrscols; the ordinal reader (SQL Server 2000 catalogs and tables without that placement)
// combines legacy offsets with running positions. The system-table variants serve the reader
// of object definitions (sysobjvalues, syscomments).
//
// What a row shows where the record has nothing of its own: a column at or beyond the
// record's own column count reads "NULL" (it was added to the table after the row was
// written), and a complex value without bytes reads as the empty text. A row never carries a
// value of an earlier row.

#include <cstdint>

#include "storage/read_options.h"
#include "storage/record.h"
#include "tabledata/table_read_context.h"

namespace portalmend {

class DatabaseFile;

enum class RowReaderKind {
  kLeafOffset,  // physical placement from sysrscols
  kOrdinal,     // legacy offsets and running positions
};

enum class RowCutVariant {
  kTableRows,        // rows of a table shown to the user
  kSystemTableRows,  // sysobjvalues / syscomments rows read for object definitions
};

struct RowCutOptions {
  RowReaderKind reader = RowReaderKind::kLeafOffset;
  RowCutVariant variant = RowCutVariant::kTableRows;
  // The catalog is in the SQL Server 2000 layout.
  bool legacy_catalog = false;
  // Large binary values show "<BINARY DATA>" / "<BIG BINARY DATA>" instead of their bytes.
  bool binary_placeholders = false;
  // Abort polling.
  ReadOptions read;
};

// Texts that stand for a value.
inline constexpr const char* kNullText = "NULL";
inline constexpr const char* kBinaryPlaceholder = "<BINARY DATA>";
inline constexpr const char* kBigBinaryPlaceholder = "<BIG BINARY DATA>";

// Fills the value text of every column of `context` from `record`. `file` is the data file
// the record was read from (large-object values are read from it); without one, values
// stored off the row read as empty.
void cut_record(const CPrimaryRecord& record, TableReadContext& context, const RowCutOptions& options,
                const DatabaseFile* file);

}  // namespace portalmend
