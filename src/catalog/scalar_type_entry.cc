#include "catalog/scalar_type_entry.h"

namespace portalmend {

std::optional<ScalarTypeEntry> decode_scalar_type_entry(const RowPieces& row) {
  using E = ScalarTypeEntry;
  const ByteReader& fixed = row.fixed;
  if (fixed.size() < E::kMinimumFixedLength) return std::nullopt;
  E entry;
  entry.type_id = fixed.i32_or(E::kTypeIdOffset);
  entry.schema_id = fixed.i32_or(E::kSchemaIdOffset);
  entry.name = variable_text(row, 0);
  entry.system_type_id = fixed.u8_or(E::kSystemTypeIdOffset);
  entry.max_length = fixed.i16_or(E::kMaxLengthOffset);
  entry.precision = fixed.u8_or(E::kPrecisionOffset);
  entry.scale = fixed.u8_or(E::kScaleOffset);
  entry.collation_id = fixed.i32_or(E::kCollationIdOffset);
  entry.status = fixed.i32_or(E::kStatusOffset);
  entry.extra1 = fixed.i32_or(E::kExtra1Offset);
  entry.extra2 = fixed.i32_or(E::kExtra2Offset);
  return entry;
}

}  // namespace portalmend
