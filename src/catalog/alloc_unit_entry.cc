#include "catalog/alloc_unit_entry.h"

namespace portalmend {

CatalogPagePointer page_pointer_at(const ByteReader& bytes, std::size_t offset) {
  CatalogPagePointer pointer;
  pointer.page_number = bytes.u32_or(offset);
  pointer.file_id = bytes.u16_or(offset + 4);
  return pointer;
}

std::optional<AllocUnitEntry> decode_alloc_unit_entry(const RowPieces& row) {
  const ByteReader& fixed = row.fixed;
  if (fixed.size() < AllocUnitEntry::kMinimumFixedLength) return std::nullopt;
  AllocUnitEntry entry;
  entry.id = fixed.i64_or(AllocUnitEntry::kIdOffset);
  entry.type = fixed.u8_or(AllocUnitEntry::kTypeOffset);
  entry.owner_id = fixed.i64_or(AllocUnitEntry::kOwnerIdOffset);
  entry.status = fixed.i32_or(AllocUnitEntry::kStatusOffset);
  entry.file_group_id = fixed.i16_or(AllocUnitEntry::kFileGroupIdOffset);
  entry.first_page = page_pointer_at(fixed, AllocUnitEntry::kFirstPageOffset);
  entry.root_page = page_pointer_at(fixed, AllocUnitEntry::kRootPageOffset);
  entry.first_iam_page = page_pointer_at(fixed, AllocUnitEntry::kFirstIamPageOffset);
  return entry;
}

}  // namespace portalmend
