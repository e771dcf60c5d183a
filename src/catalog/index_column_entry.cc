#include "catalog/index_column_entry.h"

namespace portalmend {

std::optional<IndexColumnEntry> decode_index_column_entry(const RowPieces& row) {
  using E = IndexColumnEntry;
  const ByteReader& fixed = row.fixed;
  if (fixed.size() < E::kMinimumFixedLength) return std::nullopt;
  E entry;
  entry.object_id = fixed.i32_or(E::kObjectIdOffset);
  entry.index_id = fixed.i32_or(E::kIndexIdOffset);
  entry.index_column_id = fixed.i32_or(E::kIndexColumnIdOffset);
  entry.status = fixed.i32_or(E::kStatusOffset);
  entry.column_id = fixed.i32_or(E::kColumnIdOffset);
  entry.key_ordinal = fixed.u8_or(E::kKeyOrdinalOffset);
  entry.partition_ordinal = fixed.u8_or(E::kPartitionOrdinalOffset);
  return entry;
}

}  // namespace portalmend
