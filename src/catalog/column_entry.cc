#include "catalog/column_entry.h"

#include <cstdio>

#include "catalog/repair_names.h"

namespace portalmend {

namespace {

constexpr std::size_t kIdentityValueColumn = 1;
constexpr std::size_t kWideIdentityLength = 24;
constexpr std::size_t kIntIdentityLength = 12;
constexpr std::size_t kShortIdentityLength = 6;

}  // namespace

std::string identity_text_of(ByteReader value) {
  const std::size_t length = value.size();
  std::int64_t seed = 1;
  std::int64_t increment = 1;
  if (length >= kWideIdentityLength) {
    const std::uint64_t q0 = value.u64_or(0);
    if ((q0 >> 32) == 0 && q0 != 0) {
      seed = value.i64_or(16);
      increment = value.i64_or(8);
    } else {
      seed = value.i32_or(8);
      increment = value.i32_or(4);
    }
  } else if (length >= kIntIdentityLength) {
    seed = value.i32_or(8);
    increment = value.i32_or(4);
  } else if (length >= kShortIdentityLength) {
    seed = value.u16_or(4);
    increment = value.u16_or(2);
  }
  if (seed == 0) seed = 1;
  char text[64];
  std::snprintf(text, sizeof text, "identity(%lld,%lld)", static_cast<long long>(seed),
                static_cast<long long>(increment));
  return text;
}

std::optional<ColumnEntry> decode_column_entry(const RowPieces& row, std::uint64_t& repair_counter) {
  const ByteReader& fixed = row.fixed;
  if (fixed.size() < ColumnEntry::kMinimumFixedLength) return std::nullopt;
  ColumnEntry entry;
  entry.object_id = fixed.i32_or(ColumnEntry::kObjectIdOffset);
  entry.number = fixed.i16_or(ColumnEntry::kNumberOffset);
  entry.column_id = fixed.i32_or(ColumnEntry::kColumnIdOffset);
  entry.name = row_name(row, NamedRowKind::kColumn, repair_counter);
  entry.system_type_id = fixed.u8_or(ColumnEntry::kSystemTypeIdOffset);
  entry.user_type_id = fixed.i32_or(ColumnEntry::kUserTypeIdOffset);
  entry.max_length = fixed.i16_or(ColumnEntry::kMaxLengthOffset);
  entry.precision = fixed.u8_or(ColumnEntry::kPrecisionOffset);
  entry.scale = fixed.u8_or(ColumnEntry::kScaleOffset);
  entry.collation_id = fixed.i32_or(ColumnEntry::kCollationIdOffset);
  entry.status = fixed.i32_or(ColumnEntry::kStatusOffset);
  entry.max_in_row_length = fixed.i16_or(ColumnEntry::kMaxInRowLengthOffset);
  entry.xml_collection_id = fixed.i32_or(ColumnEntry::kXmlCollectionIdOffset);
  entry.default_object_id = fixed.i32_or(ColumnEntry::kDefaultObjectIdOffset);
  entry.rule_object_id = fixed.i32_or(ColumnEntry::kRuleObjectIdOffset);
  const bool identity = (static_cast<std::uint32_t>(entry.status) & ColumnEntry::kIdentityStatusMask) ==
                        static_cast<std::uint32_t>(ColumnEntry::kIdentityStatus);
  if (identity && row.variable.size() >= 2) {
    // An identity column whose value column did not survive still is one: it reads as
    // the default identity(1,1).
    const std::optional<ByteReader> value = row.variable_at(kIdentityValueColumn);
    entry.identity_text = identity_text_of(value ? *value : ByteReader());
  }
  return entry;
}

}  // namespace portalmend
