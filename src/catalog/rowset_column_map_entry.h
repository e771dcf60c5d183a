#pragma once
// One row of the system table with object id 4 (modern layout): maps a rowset's column id
// to its physical column id. Rows shorter than 16 bytes are skipped.
//
//   offset  width  field
//   0       8      rowset id
//   8       4      column id
//   12      4      physical column id

#include <cstdint>
#include <optional>

#include "catalog/row_pieces.h"

namespace portalmend {

struct RowsetColumnMapEntry {
  static constexpr std::size_t kRowsetIdOffset = 0;
  static constexpr std::size_t kColumnIdOffset = 8;
  static constexpr std::size_t kPhysicalColumnIdOffset = 12;
  static constexpr std::size_t kMinimumFixedLength = 16;

  std::int64_t rowset_id = 0;
  std::int32_t column_id = 0;
  std::int32_t physical_column_id = 0;
};

std::optional<RowsetColumnMapEntry> decode_rowset_column_map_entry(const RowPieces& row);

}  // namespace portalmend
