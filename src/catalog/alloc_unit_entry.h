#pragma once
// One row of sysallocunits (object id 7; in a SQL Server 2000 database the pages filed
// under object id 99 are decoded the same way). Rows shorter than 41 bytes are skipped.
//
//   offset  width  field
//   0       8      allocation unit id (signed)
//   8       1      type (1 = in-row data)
//   9       8      owner id: the owning rowset's id (signed)
//   17      4      status
//   21      2      file group id
//   23      4+2    first page: page number, then file id
//   29      4+2    root page: page number, then file id
//   35      4+2    first IAM page: page number, then file id

#include <cstdint>
#include <optional>

#include "catalog/row_pieces.h"

namespace portalmend {

// A page pointer as the catalog stores it: page number first, then file id.
struct CatalogPagePointer {
  std::uint32_t page_number = 0;
  std::uint16_t file_id = 0;
};

struct AllocUnitEntry {
  static constexpr std::size_t kIdOffset = 0;
  static constexpr std::size_t kTypeOffset = 8;
  static constexpr std::size_t kOwnerIdOffset = 9;
  static constexpr std::size_t kStatusOffset = 17;
  static constexpr std::size_t kFileGroupIdOffset = 21;
  static constexpr std::size_t kFirstPageOffset = 23;
  static constexpr std::size_t kRootPageOffset = 29;
  static constexpr std::size_t kFirstIamPageOffset = 35;
  static constexpr std::size_t kMinimumFixedLength = 41;
  static constexpr std::uint8_t kInRowData = 1;

  std::int64_t id = 0;
  std::uint8_t type = 255;
  std::int64_t owner_id = 0;
  std::int32_t status = -1;
  std::int16_t file_group_id = 0;
  CatalogPagePointer first_page;
  CatalogPagePointer root_page;
  CatalogPagePointer first_iam_page;

  // The object id under which the page scan files this unit's pages: bits 16 to 47 of
  // the allocation unit id.
  std::int32_t page_object_id() const {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>((static_cast<std::uint64_t>(id) >> 16) & 0xFFFFFFFFu));
  }
};

std::optional<AllocUnitEntry> decode_alloc_unit_entry(const RowPieces& row);

// The 6-byte page pointer at `offset` (page number, then file id).
CatalogPagePointer page_pointer_at(const ByteReader& bytes, std::size_t offset);

}  // namespace portalmend
