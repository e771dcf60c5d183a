#include "storage/compression_info.h"

#include <algorithm>

namespace portalmend {
namespace {

constexpr std::size_t kInfoOffset = 96;
constexpr std::size_t kFlagsOffset = 96;
constexpr std::size_t kDictionaryOffsetField = 99;
constexpr std::size_t kSizeOffset = 101;
constexpr std::size_t kAnchorWithDictionary = 103;
constexpr std::size_t kAnchorWithoutDictionary = 101;
constexpr std::size_t kPageBytes = 8192;

void ReadDictionary(ByteReader page, PageCompressionInfo& info) {
  const std::size_t start = kInfoOffset + info.dictionary_offset;
  if (info.dictionary_offset == 0 || start >= kPageBytes) return;
  const ByteReader dictionary = page.clamp(start, kPageBytes - start);
  auto count = dictionary.u16(0);
  if (!count) return;
  info.dictionary_count = *count;
  std::size_t previous_end = 2 + 2 * std::size_t{*count};
  for (std::uint16_t i = 0; i < *count; ++i) {
    auto end = dictionary.u16(2 + 2 * std::size_t{i});
    if (!end) break;
    std::vector<std::uint8_t> bytes;
    if (*end > previous_end) {
      if (auto copy = dictionary.copy(previous_end, *end - previous_end)) bytes = std::move(*copy);
    }
    info.dictionary.push_back(std::move(bytes));
    if (*end > previous_end) previous_end = *end;
  }
}

AnchorColumnValue AnchorValueOf(const CompressedRecordParts& anchor, std::size_t column, std::size_t& long_index) {
  AnchorColumnValue value;
  const std::uint8_t code = anchor.code(column);
  if (code == kCodeEmpty) {
    value.kind = AnchorColumnValue::Kind::kEmpty;
  } else if (code >= kCodeShortFirst && code <= kCodeShortLast) {
    value.kind = AnchorColumnValue::Kind::kBytes;
    value.bytes = anchor.short_value(column).to_vector();
  } else if (code == kCodeLong) {
    value.kind = AnchorColumnValue::Kind::kBytes;
    if (long_index < anchor.long_values.size()) value.bytes = anchor.long_values[long_index].bytes;
    ++long_index;
  } else if (code != kCodeNull) {
    value.kind = AnchorColumnValue::Kind::kEmpty;
  }
  return value;
}

}  // namespace

std::optional<PageCompressionInfo> ReadCompressionInfo(ByteReader page, std::optional<int> table_columns) {
  PageCompressionInfo info;
  info.flags = page.u8_or(kFlagsOffset);
  info.dictionary_offset = page.u16_or(kDictionaryOffsetField);
  info.size = page.u16_or(kSizeOffset);
  if (info.size == 0) return std::nullopt;

  if (info.has_anchor_flag()) {
    const std::size_t at = info.has_dictionary_flag() ? kAnchorWithDictionary : kAnchorWithoutDictionary;
    const ByteReader anchor_bytes = page.clamp(at, std::min<std::size_t>(info.size, kPageBytes - at));
    CompressedRecordParts anchor = DecodeCompressedRecord(anchor_bytes, table_columns);
    if (!anchor.rejected) info.anchor = std::move(anchor);
  }
  if (info.has_dictionary_flag()) ReadDictionary(page, info);

  if (info.anchor) {
    std::size_t columns = static_cast<std::size_t>(info.anchor->column_count);
    if (table_columns && *table_columns >= 0) columns = std::min(columns, static_cast<std::size_t>(*table_columns));
    std::size_t long_index = 0;
    for (std::size_t i = 0; i < columns; ++i) info.anchor_values.push_back(AnchorValueOf(*info.anchor, i, long_index));
  }
  return info;
}

}  // namespace portalmend
