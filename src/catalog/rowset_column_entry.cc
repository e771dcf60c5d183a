#include "catalog/rowset_column_entry.h"

namespace portalmend {

std::optional<RowsetColumnEntry> decode_rowset_column_entry(const RowPieces& row) {
  using E = RowsetColumnEntry;
  const ByteReader& fixed = row.fixed;
  if (fixed.size() < E::kMinimumFixedLength) return std::nullopt;
  E entry;
  entry.rowset_id = fixed.i64_or(E::kRowsetIdOffset);
  entry.rowset_column_id = fixed.i32_or(E::kRowsetColumnIdOffset);
  entry.physical_column_id = fixed.i32_or(E::kPhysicalColumnIdOffset);
  entry.modification_counter = fixed.i64_or(E::kModificationCounterOffset);
  entry.type_info = fixed.i32_or(E::kTypeInfoOffset);
  entry.column_id = fixed.i32_or(E::kColumnIdOffset);
  entry.key_order = fixed.i16_or(E::kKeyOrderOffset);
  entry.max_in_row_length = fixed.i16_or(E::kMaxInRowLengthOffset);
  entry.status = fixed.i32_or(E::kStatusOffset);
  entry.leaf_offset = fixed.i32_or(E::kLeafOffsetOffset);
  entry.null_bit = fixed.i32_or(E::kNullBitOffset);
  entry.bit_position = fixed.i16_or(E::kBitPositionOffset);
  return entry;
}

}  // namespace portalmend
