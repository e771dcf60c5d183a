#include "catalog/rowset_column_map_entry.h"

namespace portalmend {

std::optional<RowsetColumnMapEntry> decode_rowset_column_map_entry(const RowPieces& row) {
  using E = RowsetColumnMapEntry;
  const ByteReader& fixed = row.fixed;
  if (fixed.size() < E::kMinimumFixedLength) return std::nullopt;
  E entry;
  entry.rowset_id = fixed.i64_or(E::kRowsetIdOffset);
  entry.column_id = fixed.i32_or(E::kColumnIdOffset);
  entry.physical_column_id = fixed.i32_or(E::kPhysicalColumnIdOffset);
  return entry;
}

}  // namespace portalmend
