#include "catalog/object_entry.h"

#include "catalog/repair_names.h"

namespace portalmend {

std::string two_char_type(const ByteReader& fixed, std::size_t offset) {
  std::string type;
  for (std::size_t i = 0; i < 2; ++i) {
    const std::uint8_t c = fixed.u8_or(offset + i);
    if (c == 0) break;
    type.push_back(static_cast<char>(c));
  }
  return type;
}

std::optional<ObjectEntry> decode_object_entry(const RowPieces& row, CatalogLayout layout,
                                               std::uint64_t& repair_counter) {
  const ByteReader& fixed = row.fixed;
  if (fixed.size() < ObjectEntry::kMinimumFixedLength) return std::nullopt;
  ObjectEntry entry;
  entry.id = fixed.i32_or(ObjectEntry::kIdOffset);
  if (entry.id <= 0) return std::nullopt;
  entry.name = row_name(row, NamedRowKind::kObject, repair_counter);
  entry.namespace_id = fixed.i32_or(ObjectEntry::kNamespaceIdOffset);
  entry.namespace_class = fixed.u8_or(ObjectEntry::kNamespaceClassOffset);
  entry.status = fixed.i32_or(ObjectEntry::kStatusOffset);
  const bool legacy = layout == CatalogLayout::kLegacy;
  entry.type = two_char_type(fixed, legacy ? ObjectEntry::kTypeOffsetLegacy : ObjectEntry::kTypeOffsetModern);
  const std::size_t parent_offset = legacy && fixed.size() >= ObjectEntry::kLegacyParentMinimum
                                        ? ObjectEntry::kParentIdOffsetLegacy
                                        : ObjectEntry::kParentIdOffsetModern;
  entry.parent_id = fixed.i32_or(parent_offset);
  entry.parent_class = fixed.u8_or(ObjectEntry::kParentClassOffset);
  entry.property = fixed.i32_or(ObjectEntry::kPropertyOffset);
  return entry;
}

}  // namespace portalmend
