#include "catalog/legacy_index_map.h"

namespace portalmend {

std::optional<LegacyIndexRow> decode_legacy_index_row(const RowPieces& row, std::uint16_t page_file_id) {
  const ByteReader& fixed = row.fixed;
  if (fixed.size() < LegacyIndexRow::kMinimumFixedLength) return std::nullopt;
  LegacyIndexRow decoded;
  decoded.key.object_id = fixed.i32_or(LegacyIndexRow::kObjectIdOffset);
  decoded.key.file_id = page_file_id;
  decoded.key.index_id = fixed.i16_or(LegacyIndexRow::kIndexIdOffset);
  if (decoded.key.index_id != LegacyIndexRow::kClusteredIndexId) return std::nullopt;
  decoded.value.first_page = fixed.u32_or(LegacyIndexRow::kFirstPageOffset);
  decoded.value.first_iam_page = fixed.u32_or(LegacyIndexRow::kFirstIamPageOffset);
  return decoded;
}

}  // namespace portalmend
