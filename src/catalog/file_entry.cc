#include "catalog/file_entry.h"

namespace portalmend {

std::string padded_name_text(ByteReader field) {
  std::string text = utf16_name_text(field);
  const std::size_t end = text.find_last_not_of(" \t\r\n\v\f");
  text.erase(end == std::string::npos ? 0 : end + 1);
  return text;
}

std::optional<FileEntry> decode_file_entry(const RowPieces& row) {
  const ByteReader& fixed = row.fixed;
  if (fixed.size() < FileEntry::kMinimumFixedLength) return std::nullopt;
  FileEntry entry;
  entry.status = fixed.i32_or(FileEntry::kStatusOffset);
  entry.file_id = fixed.i16_or(FileEntry::kFileIdOffset);
  entry.logical_name = padded_name_text(fixed.clamp(FileEntry::kLogicalNameOffset, FileEntry::kLogicalNameBytes));
  entry.physical_name = padded_name_text(fixed.clamp(FileEntry::kPhysicalNameOffset, FileEntry::kPhysicalNameBytes));
  return entry;
}

}  // namespace portalmend
