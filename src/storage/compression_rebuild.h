#pragma once
// Rebuilding a compressed record into the pieces of an ordinary record.
//
// Every column's value is expanded from its compressed form (anchor prefix, dictionary entry,
// big-endian integers with a sign flag, SCSU-compressed Unicode, trimmed padding) and then
// placed as an uncompressed record would hold it:
// - fixed-length columns, in column order, each at its full length (shorter values padded with
//   blanks for char/nchar, zeros otherwise; bit columns share one byte per eight, as on disk);
// - a null bitmap with bit i (least significant first) set for a NULL column i;
// - variable-length columns as variable values in column order, whole, with their complex flag
//   (a complex value is a pointer off the row, resolved by the large-object reader).
// The expanded value of every column is also kept as it is, so that nothing is lost: a fixed
// column whose stored value is longer than the column is cut in the fixed data only, and its
// full value stays in `columns` (marked `longer_than_column`).

#include <cstdint>
#include <optional>
#include <vector>

#include "storage/compression_info.h"
#include "storage/compression_record.h"

namespace portalmend {

// What the rebuild needs to know of one column of the table being read.
struct CompressedColumn {
  // Internal type code (0 bigint ... 34 xml).
  std::uint32_t type_code = 0;
  // Declared length in bytes (nchar(10) is 20); 0 or less when unknown.
  int declared_length = 0;
  // The column is stored among the variable-length columns.
  bool variable = false;
};

struct RebuiltColumn {
  enum class State { kNull, kValue };
  State state = State::kNull;
  // The expanded value (nchar/nvarchar as UTF-16LE, integers little-endian at full width).
  std::vector<std::uint8_t> bytes;
  // A long value with the complex flag: a pointer off the row.
  bool complex = false;
  // A fixed column whose value did not fit its length; the fixed data holds its first bytes.
  bool longer_than_column = false;
};

struct RebuiltVariableValue {
  std::vector<std::uint8_t> bytes;
  bool complex = false;
};

struct RebuiltRecord {
  std::vector<RebuiltColumn> columns;
  // Fixed-length columns in column order at full length.
  std::vector<std::uint8_t> fixed_data;
  // Bit i set: column i is NULL.
  std::vector<std::uint8_t> null_bitmap;
  // Variable-length columns in column order.
  std::vector<RebuiltVariableValue> variable_values;
};

// Rebuilds a decoded compressed record with the table's columns. info is the page's compression
// information (nothing on a row-compressed page). Returns nothing for a rejected record, a
// record that holds no row (record types other than 0 primary, 1 forwarded and 6 ghost data,
// the last only reaching here when deleted rows were asked for), or a record whose column
// count differs from the number of columns given.
std::optional<RebuiltRecord> RebuildCompressedRecord(const CompressedRecordParts& record,
                                                     const PageCompressionInfo* info,
                                                     const std::vector<CompressedColumn>& columns);

// The bytes a fixed-length column of this type takes in an uncompressed record.
int FixedColumnSize(const CompressedColumn& column);

// True for types whose compressed form is a big-endian number with a sign flag in bit 7.
bool IsCompressedIntegerType(std::uint32_t type_code);

// Expands a compressed integer (big-endian, bit 7 of the first byte set for values >= 0) into
// a little-endian two's-complement number of width bytes.
std::vector<std::uint8_t> ExpandCompressedInteger(ByteReader value, int width);

}  // namespace portalmend
