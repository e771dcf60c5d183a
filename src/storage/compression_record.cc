#include "storage/compression_record.h"

#include <algorithm>

namespace portalmend {
namespace {

constexpr std::size_t kStatusOffset = 0;
constexpr std::size_t kColumnCountOffset = 1;
constexpr std::uint8_t kTypeMask = 0x0E;
constexpr std::uint8_t kNullBitmapFlag = 0x10;
constexpr std::uint8_t kLongRegionFlag = 0x20;
constexpr std::uint8_t kTwoByteCountFlag = 0x80;
constexpr std::uint8_t kLongHeaderHasOffsets = 0x01;
constexpr std::uint16_t kComplexEndFlag = 0x8000;
// Columns per short-data cluster; one cluster byte per cluster after the first.
constexpr int kClusterColumns = 30;
// Index records (type 3) are read for their structure only, as in uncompressed form.
constexpr int kIndexRecordType = 3;

bool UsableCount(int count) { return count > 0 && count <= kMaxCompressedColumns; }

// Reads the column count and returns it with the number of bytes it took.
std::optional<std::pair<int, std::size_t>> ReadColumnCount(ByteReader record,
                                                           std::optional<int> expected) {
  auto first = record.u8(kColumnCountOffset);
  if (!first) return std::nullopt;
  if (!(*first & kTwoByteCountFlag)) return std::make_pair(int{*first}, std::size_t{1});
  auto second = record.u8(kColumnCountOffset + 1);
  if (!second) return std::nullopt;
  const int big_endian = ((*first & 0x7F) << 8) | *second;
  const int little_endian = (*first & 0x7F) | (*second << 8);
  const int little_with_flag = *first | (*second << 8);
  if (expected && *expected != big_endian) {
    if (little_endian == *expected || little_with_flag == *expected) {
      return std::make_pair(*expected, std::size_t{2});
    }
  }
  if (!expected && !UsableCount(big_endian) && UsableCount(little_with_flag)) {
    return std::make_pair(little_with_flag, std::size_t{2});
  }
  return std::make_pair(big_endian, std::size_t{2});
}

void ReadLongRegion(ByteReader record, std::size_t pos, CompressedRecordParts& parts) {
  auto header = record.u8(pos);
  if (!header) {
    parts.record_length = std::min(pos, record.size());
    return;
  }
  ++pos;
  std::vector<std::uint16_t> ends;
  if (*header & kLongHeaderHasOffsets) {
    auto count = record.u16(pos);
    if (count && *count > 0 && *count <= parts.column_count) {
      pos += 2;
      for (std::uint16_t i = 0; i < *count; ++i) {
        auto end = record.u16(pos);
        if (!end) break;
        ends.push_back(*end);
        pos += 2;
      }
      if (ends.size() != *count) ends.clear();
    }
  }
  pos += static_cast<std::size_t>((parts.column_count - 1) / kClusterColumns);
  std::size_t previous_end = 0;
  for (std::uint16_t end_field : ends) {
    CompressedLongValue value;
    value.complex = (end_field & kComplexEndFlag) != 0;
    const std::size_t end = end_field & ~kComplexEndFlag;
    if (end > previous_end) {
      const std::size_t length = end - previous_end;
      if (auto bytes = record.copy(pos, length)) {
        value.bytes = std::move(*bytes);
        pos += length;
        previous_end = end;
      }
    }
    parts.long_values.push_back(std::move(value));
  }
  parts.record_length = std::min(pos, record.size());
}

}  // namespace

std::size_t ShortValueSize(std::uint8_t code) {
  if (code >= kCodeShortFirst && code <= kCodeShortLast) return code - 1;
  if (code == kCodeDictionary) return 1;
  return 0;
}

ByteReader CompressedRecordParts::short_value(std::size_t column) const {
  if (column >= short_values.size()) return {};
  const auto [offset, length] = short_values[column];
  return ByteReader(short_region).clamp(offset, length);
}

CompressedRecordParts DecodeCompressedRecord(ByteReader record, std::optional<int> expected_columns) {
  CompressedRecordParts parts;
  parts.status_a = record.u8_or(kStatusOffset);
  parts.record_type = (parts.status_a & kTypeMask) >> 1;
  auto count = ReadColumnCount(record, expected_columns);
  if (!count || !UsableCount(count->first)) {
    parts.rejected = true;
    return parts;
  }
  parts.column_count = count->first;
  std::size_t pos = kColumnCountOffset + count->second;

  // Descriptor codes, two per byte, low nibble first.
  for (int i = 0; i < parts.column_count; ++i) {
    auto byte = record.u8(pos + static_cast<std::size_t>(i / 2));
    if (!byte) break;
    parts.codes.push_back(static_cast<std::uint8_t>(i % 2 == 0 ? (*byte & 0x0F) : (*byte >> 4)));
  }
  pos += static_cast<std::size_t>((parts.column_count + 1) / 2);
  pos += static_cast<std::size_t>((parts.column_count - 1) / kClusterColumns);

  std::size_t short_size = 0;
  for (std::uint8_t code : parts.codes) {
    const std::size_t size = ShortValueSize(code);
    parts.short_values.emplace_back(short_size, size);
    short_size += size;
  }
  if (short_size > 0 && parts.record_type != kIndexRecordType) {
    if (auto region = record.copy(pos, short_size)) parts.short_region = std::move(*region);
  }
  pos += short_size;
  parts.record_length = std::min(pos, record.size());
  if (parts.record_type == kIndexRecordType) return parts;

  if (parts.status_a & kNullBitmapFlag) {
    const std::size_t size = static_cast<std::size_t>((parts.column_count + 7) / 8);
    if (auto bitmap = record.copy(pos, size)) parts.null_bitmap = std::move(*bitmap);
    pos += size;
    parts.record_length = std::min(pos, record.size());
  }
  if (parts.status_a & kLongRegionFlag) ReadLongRegion(record, pos, parts);
  return parts;
}

}  // namespace portalmend
