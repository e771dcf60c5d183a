#include "catalog/rowset_entry.h"

namespace portalmend {

std::optional<RowsetEntry> decode_rowset_entry(const RowPieces& row) {
  const ByteReader& fixed = row.fixed;
  if (fixed.size() < RowsetEntry::kMinimumFixedLength) return std::nullopt;
  RowsetEntry entry;
  entry.rowset_id = fixed.i64_or(RowsetEntry::kRowsetIdOffset);
  entry.owner_type = fixed.u8_or(RowsetEntry::kOwnerTypeOffset);
  entry.object_id = fixed.i32_or(RowsetEntry::kObjectIdOffset);
  entry.index_id = fixed.i32_or(RowsetEntry::kIndexIdOffset);
  entry.partition_number = fixed.i32_or(RowsetEntry::kPartitionNumberOffset);
  entry.status = fixed.i32_or(RowsetEntry::kStatusOffset);
  entry.file_group_id = fixed.i16_or(RowsetEntry::kFileGroupIdOffset);
  entry.row_count = fixed.i64_or(RowsetEntry::kRowCountOffset);
  return entry;
}

}  // namespace portalmend
