#include "catalog/object_ref_entry.h"

namespace portalmend {

std::optional<ObjectRefEntry> decode_object_ref_entry(const RowPieces& row) {
  using E = ObjectRefEntry;
  const ByteReader& fixed = row.fixed;
  if (fixed.size() < E::kMinimumFixedLength) return std::nullopt;
  E entry;
  entry.ref_class = fixed.u8_or(E::kClassOffset);
  entry.dependent_id = fixed.i32_or(E::kDependentIdOffset);
  entry.dependent_sub_id = fixed.i32_or(E::kDependentSubIdOffset);
  entry.independent_id = fixed.i32_or(E::kIndependentIdOffset);
  entry.independent_sub_id = fixed.i32_or(E::kIndependentSubIdOffset);
  entry.status = fixed.i32_or(E::kStatusOffset);
  return entry;
}

}  // namespace portalmend
