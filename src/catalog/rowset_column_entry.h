#pragma once
// One row of sysrscols (object id 3, modern layout): where a column of a rowset is stored.
// Rows shorter than 50 bytes are skipped.
//
//   offset  width  field
//   0       8      rowset id
//   8       4      rowset column id
//   12      4      physical column id
//   16      8      modification counter
//   24      4      type information
//   28      4      column id
//   32      2      key order
//   34      2      maximum in-row length
//   36      4      status
//   40      4      leaf offset (low 16 bits: fixed offset, or the complement of the
//                  variable column index)
//   44      4      null bit
//   48      2      bit position

#include <cstdint>
#include <optional>

#include "catalog/row_pieces.h"

namespace portalmend {

struct RowsetColumnEntry {
  static constexpr std::size_t kRowsetIdOffset = 0;
  static constexpr std::size_t kRowsetColumnIdOffset = 8;
  static constexpr std::size_t kPhysicalColumnIdOffset = 12;
  static constexpr std::size_t kModificationCounterOffset = 16;
  static constexpr std::size_t kTypeInfoOffset = 24;
  static constexpr std::size_t kColumnIdOffset = 28;
  static constexpr std::size_t kKeyOrderOffset = 32;
  static constexpr std::size_t kMaxInRowLengthOffset = 34;
  static constexpr std::size_t kStatusOffset = 36;
  static constexpr std::size_t kLeafOffsetOffset = 40;
  static constexpr std::size_t kNullBitOffset = 44;
  static constexpr std::size_t kBitPositionOffset = 48;
  static constexpr std::size_t kMinimumFixedLength = 50;

  std::int64_t rowset_id = 0;
  std::int32_t rowset_column_id = 0;
  std::int32_t physical_column_id = 0;
  std::int64_t modification_counter = 0;
  std::int32_t type_info = 0;
  std::int32_t column_id = 0;
  std::int16_t key_order = 0;
  std::int16_t max_in_row_length = 0;
  std::int32_t status = 0;
  std::int32_t leaf_offset = 0;
  std::int32_t null_bit = 0;
  std::int16_t bit_position = 0;
};

std::optional<RowsetColumnEntry> decode_rowset_column_entry(const RowPieces& row);

}  // namespace portalmend
