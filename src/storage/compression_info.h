#pragma once
// The compression information of a page-compressed page: the anchor record with one prefix
// value per column, and the dictionary of values shared by the page's records.
//
// Present when bit 7 (0x80) of the header's type flag bits is set. Offsets within the page:
// | Offset     | Width | Field                                                          |
// |------------|-------|----------------------------------------------------------------|
// | 96         | 1     | flags: 0x02 anchor record present, 0x04 dictionary present     |
// | 97         | 2     | not used                                                       |
// | 99         | 2     | dictionary offset, relative to page offset 96                  |
// | 101        | 2     | size of the compression information (above 0)                  |
// | 101 or 103 | ...   | anchor record (a compressed record): at 103 with a dictionary  |
//
// Dictionary at page offset 96 + dictionary offset:
// | 0      | 2     | entry count n                                                   |
// | 2      | 2 × n | end offsets, relative to the dictionary start                   |
// | 2 + 2n | ...   | entry bytes; entry i runs from the previous end (first: 2 + 2n) |
//
// The structure and its dictionary may reach anywhere inside the page body: a page full of
// long shared values has a dictionary well past the page's first half, and every entry that
// lies wholly inside the page is kept.

#include <cstdint>
#include <optional>
#include <vector>

#include "storage/byte_reader.h"
#include "storage/compression_record.h"

namespace portalmend {

// One anchor value: the prefix shared by a column's values on the page.
struct AnchorColumnValue {
  enum class Kind { kNull, kEmpty, kBytes };
  Kind kind = Kind::kNull;
  std::vector<std::uint8_t> bytes;

  // Length in the form the page's readers print: -2 null, -1 empty, else the byte count.
  int length() const { return kind == Kind::kNull ? -2 : kind == Kind::kEmpty ? -1 : static_cast<int>(bytes.size()); }
  bool has_bytes() const { return kind == Kind::kBytes && !bytes.empty(); }
};

struct PageCompressionInfo {
  // Byte 96: which parts are present.
  std::uint8_t flags = 0;
  // Bytes 99-100: where the dictionary starts, from page offset 96.
  std::uint16_t dictionary_offset = 0;
  // Bytes 101-102: size of the whole structure.
  std::uint16_t size = 0;
  // The anchor record, when present and decodable.
  std::optional<CompressedRecordParts> anchor;
  // One value per column of the anchor record.
  std::vector<AnchorColumnValue> anchor_values;
  // Dictionary entries in index order; an entry that does not fit the page is left empty.
  std::vector<std::vector<std::uint8_t>> dictionary;
  // Number of entries the dictionary header announced.
  std::uint16_t dictionary_count = 0;

  bool has_anchor_flag() const { return (flags & 0x02) != 0; }
  bool has_dictionary_flag() const { return (flags & 0x04) != 0; }
  // The anchor value of a column, or nothing.
  const AnchorColumnValue* anchor_value(std::size_t column) const {
    return column < anchor_values.size() ? &anchor_values[column] : nullptr;
  }
  // The dictionary entry at index, or nothing.
  const std::vector<std::uint8_t>* entry(std::size_t index) const {
    return index < dictionary.size() ? &dictionary[index] : nullptr;
  }
};

// Reads the compression information of a page (the view holds the whole page). table_columns,
// when known, bounds the anchor values and settles the anchor's column count. Returns nothing
// when the size field is 0.
std::optional<PageCompressionInfo> ReadCompressionInfo(ByteReader page,
                                                   std::optional<int> table_columns = std::nullopt);

// True when the header's type flag bits say the page carries compression information.
inline bool HasCompressionInfo(std::uint8_t type_flag_bits) { return (type_flag_bits & 0x80) != 0; }

}  // namespace portalmend
