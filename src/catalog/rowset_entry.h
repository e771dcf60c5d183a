#pragma once
// One row of sysrowsets (object id 5, read in both layouts): a partition of a heap or
// index. Rows shorter than 35 bytes are skipped.
//
//   offset  width  field
//   0       8      rowset id
//   8       1      owner type
//   9       4      owning object id
//   13      4      index id (0 heap, 1 clustered index)
//   17      4      partition number
//   21      4      status
//   25      2      file group id
//   27      8      row count

#include <cstdint>
#include <optional>

#include "catalog/row_pieces.h"

namespace portalmend {

struct RowsetEntry {
  static constexpr std::size_t kRowsetIdOffset = 0;
  static constexpr std::size_t kOwnerTypeOffset = 8;
  static constexpr std::size_t kObjectIdOffset = 9;
  static constexpr std::size_t kIndexIdOffset = 13;
  static constexpr std::size_t kPartitionNumberOffset = 17;
  static constexpr std::size_t kStatusOffset = 21;
  static constexpr std::size_t kFileGroupIdOffset = 25;
  static constexpr std::size_t kRowCountOffset = 27;
  static constexpr std::size_t kMinimumFixedLength = 35;

  // The rowset a table without any sysrowsets row gets.
  static RowsetEntry none() {
    RowsetEntry entry;
    entry.rowset_id = 0;
    entry.owner_type = 255;
    return entry;
  }

  std::int64_t rowset_id = -1;
  std::uint8_t owner_type = 255;
  std::int32_t object_id = -1;
  std::int32_t index_id = -1;
  std::int32_t partition_number = -1;
  std::int32_t status = -1;
  std::int16_t file_group_id = -1;
  std::int64_t row_count = -1;
};

std::optional<RowsetEntry> decode_rowset_entry(const RowPieces& row);

}  // namespace portalmend
