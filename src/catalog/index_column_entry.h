#pragma once
// One row of sysiscols (object id 55, modern layout): a column of an index. Rows shorter
// than 22 bytes are skipped.
//
//   offset  width  field
//   0       4      object id
//   4       4      index id
//   8       4      index column id
//   12      4      status
//   16      4      column id
//   20      1      key ordinal
//   21      1      partition ordinal
// The owning index's status is joined in when keys are derived (0 until then).

#include <cstdint>
#include <optional>

#include "catalog/row_pieces.h"

namespace portalmend {

struct IndexColumnEntry {
  static constexpr std::size_t kObjectIdOffset = 0;
  static constexpr std::size_t kIndexIdOffset = 4;
  static constexpr std::size_t kIndexColumnIdOffset = 8;
  static constexpr std::size_t kStatusOffset = 12;
  static constexpr std::size_t kColumnIdOffset = 16;
  static constexpr std::size_t kKeyOrdinalOffset = 20;
  static constexpr std::size_t kPartitionOrdinalOffset = 21;
  static constexpr std::size_t kMinimumFixedLength = 22;

  std::int32_t object_id = 0;
  std::int32_t index_id = 0;
  std::int32_t index_column_id = 0;
  std::int32_t status = 0;
  std::int32_t column_id = 0;
  std::uint8_t key_ordinal = 0;
  std::uint8_t partition_ordinal = 0;
  std::int32_t index_status = 0;
};

std::optional<IndexColumnEntry> decode_index_column_entry(const RowPieces& row);

}  // namespace portalmend
