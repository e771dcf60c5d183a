#pragma once
// A record of a row- or page-compressed table, decoded into its regions.
//
// Byte layout (offsets within the record):
// | Offset | Width              | Field                                                          |
// |--------|--------------------|----------------------------------------------------------------|
// | 0      | 1                  | status A: bit 0 compressed; bits 1-3 record type;              |
// |        |                    | bit 4 null bitmap present; bit 5 long data region present     |
// | 1      | 1 or 2             | column count; two bytes when bit 7 of the first is set         |
// | next   | ceil(count / 2)    | column descriptor codes, 4 bits per column, low nibble first   |
// | next   | (count - 1) / 30   | short data cluster bytes (skipped)                              |
// | next   | sum of short sizes | short data region: values of 0 to 8 bytes in column order      |
// | next   | (count + 7) / 8    | null bitmap, when bit 4 is set                                  |
// | next   | ...                | long data region, when bit 5 is set                             |
//
// Long data region: header byte h; when bit 0 of h is set, a 16-bit entry count d and d
// 16-bit end offsets (bit 15 marks a complex value, the low 15 bits are the cumulative end
// within the region's data); then (count - 1) / 30 cluster bytes; then the d values.
//
// Descriptor codes: 0 null; 1 empty (page-compressed: the anchor's value); 2-9 a short value of
// 1-8 bytes; 10 a long value; 11 unused; 12 a one-byte index into the page's dictionary.
//
// The two-byte column count. A count above 127 sets bit 7 of byte 1; the count is then the
// 15 bits of bytes 1 and 2 read big-endian ((byte1 & 0x7F) << 8 | byte2), the order compressed
// numbers use. When the caller knows how many columns the table has and that reading does not
// match while the little-endian reading of the same two bytes (with or without the flag bit)
// does, the matching reading is taken; without a known count, a big-endian reading above 1024
// gives way to the plain little-endian value when that one is usable. So such a record is not
// lost to a guessed byte order.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "storage/byte_reader.h"

namespace portalmend {

// Column descriptor codes of a compressed record.
enum CompressedCode : std::uint8_t {
  kCodeNull = 0,
  kCodeEmpty = 1,
  kCodeShortFirst = 2,  // a short value of 1 byte ...
  kCodeShortLast = 9,   // ... up to 8 bytes
  kCodeLong = 10,
  kCodeUnused = 11,
  kCodeDictionary = 12,
};

// Largest column count a compressed record may carry.
inline constexpr int kMaxCompressedColumns = 1024;

// One value of the long data region.
struct CompressedLongValue {
  // The value's bytes; empty when the value did not fit its bounds.
  std::vector<std::uint8_t> bytes;
  // Bit 15 of the end offset: the value is a pointer off the row (large-object root).
  bool complex = false;
};

// The regions of one compressed record.
struct CompressedRecordParts {
  // Status byte A.
  std::uint8_t status_a = 0;
  // Bits 1-3 of status A.
  int record_type = 0;
  // Set when the column count is unusable (0 or above 1024) or the record is cut off before it.
  bool rejected = false;
  // Number of columns the record describes.
  int column_count = 0;
  // One descriptor code per column (fewer when the record ends inside the array).
  std::vector<std::uint8_t> codes;
  // Byte offset and length of each column's short value within short_region (length 0 for
  // columns without one).
  std::vector<std::pair<std::size_t, std::size_t>> short_values;
  // The short data region as stored; empty when it does not fit the record.
  std::vector<std::uint8_t> short_region;
  // The null bitmap, when status A bit 4 is set.
  std::vector<std::uint8_t> null_bitmap;
  // The long values, in column order of the columns coded 10.
  std::vector<CompressedLongValue> long_values;
  // Offset just past the last byte decoded.
  std::size_t record_length = 0;

  // The short value of column i (empty when it has none or the region was unusable).
  ByteReader short_value(std::size_t column) const;
  // The code of column i, or kCodeNull for a column beyond the descriptor array.
  std::uint8_t code(std::size_t column) const { return column < codes.size() ? codes[column] : std::uint8_t{kCodeNull}; }
};

// Decodes the compressed record whose bytes start the view; the view's size is the most the
// record may take. expected_columns, when known, settles the two-byte column count.
CompressedRecordParts DecodeCompressedRecord(ByteReader record,
                                             std::optional<int> expected_columns = std::nullopt);

// Size in bytes of the short value a descriptor code stands for.
std::size_t ShortValueSize(std::uint8_t code);

}  // namespace portalmend
