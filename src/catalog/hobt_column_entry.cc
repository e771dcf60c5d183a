#include "catalog/hobt_column_entry.h"

namespace portalmend {

std::optional<HobtColumnEntry> decode_hobt_column_entry(const RowPieces& row) {
  using E = HobtColumnEntry;
  const ByteReader& fixed = row.fixed;
  if (fixed.size() < E::kMinimumFixedLength) return std::nullopt;
  E entry;
  entry.rowset_id = fixed.i64_or(E::kRowsetIdOffset);
  entry.column_id = fixed.i32_or(E::kColumnIdOffset);
  entry.leaf_offset = fixed.i16_or(E::kLeafOffsetOffset);
  entry.null_bit = fixed.i16_or(E::kNullBitOffset);
  return entry;
}

}  // namespace portalmend
