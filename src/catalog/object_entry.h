#pragma once
// One row of the objects table: sysschobjs (object id 34) in the modern layout, sysobjects
// (object id 1) in the SQL Server 2000 layout.
//
// Fixed part (offsets after the 4-byte record header; rows shorter than 24 bytes are skipped):
//   field            modern   legacy
//   id (signed)      0        0
//   namespace id     4        4
//   namespace class  8        8
//   status           9        9
//   type (2 chars)   13, 14   4, 5
//   parent id        15       24 when the fixed part has at least 28 bytes, else 15
//   parent class     19       19
//   property         20       20
// The name is the first variable-length column (UTF-16). Rows with id 0 or below are skipped.

#include <cstdint>
#include <optional>
#include <string>

#include "catalog/row_pieces.h"

namespace portalmend {

enum class CatalogLayout { kModern, kLegacy };

struct ObjectEntry {
  static constexpr std::size_t kIdOffset = 0;
  static constexpr std::size_t kNamespaceIdOffset = 4;
  static constexpr std::size_t kNamespaceClassOffset = 8;
  static constexpr std::size_t kStatusOffset = 9;
  static constexpr std::size_t kTypeOffsetModern = 13;
  static constexpr std::size_t kTypeOffsetLegacy = 4;
  static constexpr std::size_t kParentIdOffsetModern = 15;
  static constexpr std::size_t kParentIdOffsetLegacy = 24;
  static constexpr std::size_t kLegacyParentMinimum = 28;
  static constexpr std::size_t kParentClassOffset = 19;
  static constexpr std::size_t kPropertyOffset = 20;
  static constexpr std::size_t kMinimumFixedLength = 24;

  std::int32_t id = -1;
  std::string name;
  std::int32_t namespace_id = -1;
  std::uint8_t namespace_class = 255;
  std::int32_t status = -1;
  // The two type characters exactly as stored, trailing blank included ("U ", "FN").
  std::string type;
  std::int32_t parent_id = -1;
  std::uint8_t parent_class = 255;
  std::int32_t property = -1;
};

// Decodes a row; `repair_counter` numbers made-up names for rows without one.
std::optional<ObjectEntry> decode_object_entry(const RowPieces& row, CatalogLayout layout,
                                               std::uint64_t& repair_counter);

// The two characters at `offset` of the fixed part, up to the first zero byte.
std::string two_char_type(const ByteReader& fixed, std::size_t offset);

}  // namespace portalmend
