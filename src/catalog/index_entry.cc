#include "catalog/index_entry.h"

namespace portalmend {

std::optional<IndexEntry> decode_index_entry(const RowPieces& row) {
  using E = IndexEntry;
  const ByteReader& fixed = row.fixed;
  if (fixed.size() < E::kMinimumFixedLength) return std::nullopt;
  E entry;
  entry.object_id = fixed.i32_or(E::kObjectIdOffset);
  entry.index_id = fixed.i32_or(E::kIndexIdOffset);
  entry.name = variable_text(row, 0);
  entry.status = fixed.i32_or(E::kStatusOffset);
  entry.property = fixed.i32_or(E::kPropertyOffset);
  entry.fill_factor = fixed.u8_or(E::kFillFactorOffset);
  entry.type = fixed.u8_or(E::kTypeOffset);
  entry.small_property = fixed.u8_or(E::kSmallPropertyOffset);
  entry.data_space_id = fixed.i32_or(E::kDataSpaceIdOffset);
  entry.lob_data_space_id = fixed.i32_or(E::kLobDataSpaceIdOffset);
  entry.rowset_id = fixed.i64_or(E::kRowsetIdOffset);
  return entry;
}

}  // namespace portalmend
