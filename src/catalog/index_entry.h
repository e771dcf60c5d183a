#pragma once
// One row of sysidxstats (object id 54, modern layout): an index or statistics object of a
// table. Rows shorter than 35 bytes are skipped.
//
//   offset  width  field
//   0       4      object id
//   4       4      index id
//   8       4      status
//   12      4      property
//   16      1      fill factor
//   17      1      type
//   18      1      small property
//   19      4      data space id
//   23      4      large-object data space id
//   27      8      rowset id
// The name is the first variable-length column (UTF-16).

#include <cstdint>
#include <optional>
#include <string>

#include "catalog/row_pieces.h"

namespace portalmend {

struct IndexEntry {
  static constexpr std::size_t kObjectIdOffset = 0;
  static constexpr std::size_t kIndexIdOffset = 4;
  static constexpr std::size_t kStatusOffset = 8;
  static constexpr std::size_t kPropertyOffset = 12;
  static constexpr std::size_t kFillFactorOffset = 16;
  static constexpr std::size_t kTypeOffset = 17;
  static constexpr std::size_t kSmallPropertyOffset = 18;
  static constexpr std::size_t kDataSpaceIdOffset = 19;
  static constexpr std::size_t kLobDataSpaceIdOffset = 23;
  static constexpr std::size_t kRowsetIdOffset = 27;
  static constexpr std::size_t kMinimumFixedLength = 35;

  std::int32_t object_id = 0;
  std::int32_t index_id = 0;
  std::string name;
  std::int32_t status = 0;
  std::int32_t property = 0;
  std::uint8_t fill_factor = 0;
  std::uint8_t type = 0;
  std::uint8_t small_property = 0;
  std::int32_t data_space_id = 0;
  std::int32_t lob_data_space_id = 0;
  std::int64_t rowset_id = 0;
};

std::optional<IndexEntry> decode_index_entry(const RowPieces& row);

}  // namespace portalmend
