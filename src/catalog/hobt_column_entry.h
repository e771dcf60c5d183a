#pragma once
// One row of the system table with object id 13 (modern layout): column positions of a
// rowset as older databases keep them. Rows shorter than 35 bytes are skipped.
//
//   offset  width  field
//   0       8      rowset id
//   8       4      column id
//   27      2      leaf offset
//   33      2      null bit
// The physical column id is not stored here: it starts at -1 and is filled from the
// column map (object id 4) when a table is prepared.

#include <cstdint>
#include <optional>

#include "catalog/row_pieces.h"

namespace portalmend {

struct HobtColumnEntry {
  static constexpr std::size_t kRowsetIdOffset = 0;
  static constexpr std::size_t kColumnIdOffset = 8;
  static constexpr std::size_t kLeafOffsetOffset = 27;
  static constexpr std::size_t kNullBitOffset = 33;
  static constexpr std::size_t kMinimumFixedLength = 35;

  std::int64_t rowset_id = 0;
  std::int32_t column_id = 0;
  std::int16_t leaf_offset = 0;
  std::int16_t null_bit = 0;
  std::int32_t physical_column_id = -1;
};

std::optional<HobtColumnEntry> decode_hobt_column_entry(const RowPieces& row);

}  // namespace portalmend
