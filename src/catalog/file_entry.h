#pragma once
// One row of sysfiles1 (object id 8): a data or log file of the database.
//
// Fixed part (offsets after the 4-byte record header; rows shorter than 782 bytes are skipped):
//   offset  width  field
//   0       4      status (signed)
//   4       2      file id (signed)
//   6       256    logical name: 128 UTF-16 code units, blank padded
//   262     520    physical file name: 260 UTF-16 code units, blank padded
//
// The same record also stands for a registered secondary file: registration fills the
// path, size, page count and leading offset (all empty/zero when read from sysfiles1).

#include <cstdint>
#include <optional>
#include <string>

#include "catalog/row_pieces.h"

namespace portalmend {

struct FileEntry {
  static constexpr std::size_t kStatusOffset = 0;
  static constexpr std::size_t kFileIdOffset = 4;
  static constexpr std::size_t kLogicalNameOffset = 6;
  static constexpr std::size_t kLogicalNameBytes = 256;
  static constexpr std::size_t kPhysicalNameOffset = 262;
  static constexpr std::size_t kPhysicalNameBytes = 520;
  static constexpr std::size_t kMinimumFixedLength = 782;

  std::int32_t status = 0;
  std::int32_t file_id = 0;
  std::string logical_name;
  std::string physical_name;
  // Filled when the file is registered as a secondary file.
  std::string path;
  std::uint64_t file_size = 0;
  std::uint64_t page_count = 0;
  std::int32_t leading_offset = 0;
};

std::optional<FileEntry> decode_file_entry(const RowPieces& row);

// A blank-padded UTF-16 name field: text up to the first zero code unit, trailing white
// space removed.
std::string padded_name_text(ByteReader field);

}  // namespace portalmend
