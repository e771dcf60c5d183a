#pragma once
// One row of syssingleobjrefs (object id 74, modern layout, data pages only): a reference
// from one object to another (for example a foreign key to its referenced table). Rows
// shorter than 21 bytes are skipped.
//
//   offset  width  field
//   0       1      class
//   1       4      dependent id
//   5       4      dependent sub-id
//   9       4      independent id
//   13      4      independent sub-id
//   17      4      status

#include <cstdint>
#include <optional>

#include "catalog/row_pieces.h"

namespace portalmend {

struct ObjectRefEntry {
  static constexpr std::size_t kClassOffset = 0;
  static constexpr std::size_t kDependentIdOffset = 1;
  static constexpr std::size_t kDependentSubIdOffset = 5;
  static constexpr std::size_t kIndependentIdOffset = 9;
  static constexpr std::size_t kIndependentSubIdOffset = 13;
  static constexpr std::size_t kStatusOffset = 17;
  static constexpr std::size_t kMinimumFixedLength = 21;

  std::uint8_t ref_class = 0;
  std::int32_t dependent_id = 0;
  std::int32_t dependent_sub_id = 0;
  std::int32_t independent_id = 0;
  std::int32_t independent_sub_id = 0;
  std::int32_t status = 0;
};

std::optional<ObjectRefEntry> decode_object_ref_entry(const RowPieces& row);

}  // namespace portalmend
