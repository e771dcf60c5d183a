#include "catalog/legacy_column_entry.h"

#include "catalog/repair_names.h"

namespace portalmend {

std::optional<LegacyColumnEntry> decode_legacy_column_entry(const RowPieces& row, std::uint64_t& repair_counter) {
  using E = LegacyColumnEntry;
  const ByteReader& fixed = row.fixed;
  if (fixed.size() < E::kMinimumFixedLength) return std::nullopt;
  E entry;
  entry.name = row_name(row, NamedRowKind::kColumn, repair_counter);
  entry.object_id = fixed.i32_or(E::kObjectIdOffset);
  entry.system_type_id = fixed.u8_or(E::kSystemTypeIdOffset);
  entry.type_status = fixed.u8_or(E::kTypeStatusOffset);
  entry.user_type_id = fixed.i16_or(E::kUserTypeIdOffset);
  entry.length = fixed.i16_or(E::kLengthOffset);
  entry.precision = fixed.u8_or(E::kPrecisionOffset);
  entry.scale = fixed.u8_or(E::kScaleOffset);
  entry.column_id = fixed.i16_or(E::kColumnIdOffset);
  entry.fixed_offset = fixed.i16_or(E::kFixedOffsetOffset);
  entry.bit_position = fixed.u8_or(E::kBitPositionOffset);
  entry.reserved = fixed.u8_or(E::kReservedOffset);
  entry.column_status = fixed.i16_or(E::kColumnStatusOffset);
  entry.default_id = fixed.i16_or(E::kDefaultIdOffset);
  entry.domain = fixed.i32_or(E::kDomainOffset);
  entry.number = fixed.i16_or(E::kNumberOffset);
  entry.column_order = fixed.i16_or(E::kColumnOrderOffset);
  entry.offset = fixed.i16_or(E::kOffsetOffset);
  const bool late_fields = row.column_count >= E::kLateFieldsMinimumColumns;
  if (late_fields && fixed.size() >= E::kCollationMinimumFixedLength) {
    entry.collation_id = fixed.i32_or(E::kCollationIdOffset, -1);
  }
  if (late_fields && fixed.size() >= E::kStatusMinimumFixedLength) {
    entry.status = fixed.u8_or(E::kStatusOffset, 255);
  }
  return entry;
}

}  // namespace portalmend
