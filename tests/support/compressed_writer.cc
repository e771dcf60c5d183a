#include "support/compressed_writer.h"

#include <cstring>

#include "support/page_writer.h"

namespace portalmend::writer {
namespace {

void PutU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

std::uint8_t CodeOf(const CompressedValue& v) {
  if (v.code != 255) return v.code;
  if (v.bytes.empty()) return 1;
  if (v.bytes.size() <= 8) return static_cast<std::uint8_t>(v.bytes.size() + 1);
  return 10;
}

}  // namespace

std::vector<std::uint8_t> CompressedRecord(const std::vector<CompressedValue>& columns,
                                           const CompressedRecordLayout& layout) {
  const std::size_t count = columns.size();
  std::vector<std::uint8_t> codes;
  bool any_long = false;
  for (const CompressedValue& v : columns) {
    codes.push_back(CodeOf(v));
    any_long = any_long || codes.back() == 10;
  }
  std::vector<std::uint8_t> out;
  out.push_back(static_cast<std::uint8_t>(0x01 | (layout.record_type << 1) | (layout.null_bitmap ? 0x10 : 0) |
                                          (any_long ? 0x20 : 0)));
  if (count < 128) {
    out.push_back(static_cast<std::uint8_t>(count));
  } else if (layout.little_endian_count) {
    // The 16-bit count as it is, its flag bit being bit 7 of the count itself.
    out.push_back(static_cast<std::uint8_t>(count & 0xFF));
    out.push_back(static_cast<std::uint8_t>(count >> 8));
  } else {
    out.push_back(static_cast<std::uint8_t>(0x80 | (count >> 8)));
    out.push_back(static_cast<std::uint8_t>(count & 0xFF));
  }
  for (std::size_t i = 0; i < count; i += 2) {
    const std::uint8_t low = codes[i];
    const std::uint8_t high = i + 1 < count ? codes[i + 1] : 0;
    out.push_back(static_cast<std::uint8_t>(low | (high << 4)));
  }
  const std::size_t clusters = count > 0 ? (count - 1) / 30 : 0;
  out.insert(out.end(), clusters, 0);
  for (std::size_t i = 0; i < count; ++i) {
    if ((codes[i] >= 2 && codes[i] <= 9) || codes[i] == 12) {
      out.insert(out.end(), columns[i].bytes.begin(), columns[i].bytes.end());
    }
  }
  if (layout.null_bitmap) {
    std::vector<std::uint8_t> bitmap((count + 7) / 8, 0);
    for (std::size_t i = 0; i < count; ++i) {
      if (codes[i] == 0) bitmap[i / 8] = static_cast<std::uint8_t>(bitmap[i / 8] | (1u << (i % 8)));
    }
    out.insert(out.end(), bitmap.begin(), bitmap.end());
  }
  if (any_long) {
    out.push_back(0x01);
    std::vector<std::uint16_t> ends;
    std::vector<std::uint8_t> data;
    for (std::size_t i = 0; i < count; ++i) {
      if (codes[i] != 10) continue;
      data.insert(data.end(), columns[i].bytes.begin(), columns[i].bytes.end());
      ends.push_back(static_cast<std::uint16_t>(data.size() | (columns[i].complex ? 0x8000 : 0)));
    }
    PutU16(out, static_cast<std::uint16_t>(ends.size()));
    for (std::uint16_t e : ends) PutU16(out, e);
    out.insert(out.end(), clusters, 0);
    out.insert(out.end(), data.begin(), data.end());
  }
  return out;
}

CompressedValue CompressedInteger(std::int64_t value) {
  // Fewest bytes that hold the value as two's complement.
  int width = 1;
  while (width < 8) {
    const std::int64_t lo = -(std::int64_t{1} << (8 * width - 1));
    const std::int64_t hi = (std::int64_t{1} << (8 * width - 1)) - 1;
    if (value >= lo && value <= hi) break;
    ++width;
  }
  CompressedValue v;
  const auto bits = static_cast<std::uint64_t>(value);
  for (int i = width - 1; i >= 0; --i) v.bytes.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
  v.bytes[0] ^= 0x80;
  return v;
}

CompressedValue CompressedBytes(const std::vector<std::uint8_t>& bytes) {
  CompressedValue v;
  v.bytes = bytes;
  return v;
}

CompressedValue CompressedText(const char* text) {
  return CompressedBytes(std::vector<std::uint8_t>(text, text + std::strlen(text)));
}

std::vector<std::uint8_t> CompressionInfoBlock(const std::vector<std::uint8_t>* anchor_record,
                                               const std::vector<std::vector<std::uint8_t>>* dictionary) {
  std::vector<std::uint8_t> out(dictionary ? 7 : 5, 0);
  out[0] = static_cast<std::uint8_t>((anchor_record ? 0x02 : 0) | (dictionary ? 0x04 : 0));
  if (anchor_record) out.insert(out.end(), anchor_record->begin(), anchor_record->end());
  if (dictionary) {
    const std::size_t dictionary_offset = out.size();
    out[3] = static_cast<std::uint8_t>(dictionary_offset & 0xFF);
    out[4] = static_cast<std::uint8_t>(dictionary_offset >> 8);
    PutU16(out, static_cast<std::uint16_t>(dictionary->size()));
    std::size_t end = 2 + 2 * dictionary->size();
    for (const auto& entry : *dictionary) {
      end += entry.size();
      PutU16(out, static_cast<std::uint16_t>(end));
    }
    for (const auto& entry : *dictionary) out.insert(out.end(), entry.begin(), entry.end());
  }
  // Without a dictionary the anchor record starts at page offset 101, where its own first two
  // bytes stand in for the size field.
  if (dictionary) {
    out[5] = static_cast<std::uint8_t>(out.size() & 0xFF);
    out[6] = static_cast<std::uint8_t>(out.size() >> 8);
  }
  return out;
}

std::vector<std::uint8_t> CompressedPage(std::uint32_t position, std::int32_t object_id,
                                         const std::vector<std::uint8_t>& info_block,
                                         const std::vector<std::vector<std::uint8_t>>& records) {
  PageWriter page = standard_page(position, object_id, 1);
  page.header().type_flag_bits = 0x80;
  page.header().slot_count = static_cast<std::uint16_t>(records.size());
  page.add_record(info_block);
  for (const auto& record : records) page.add_record(record);
  std::vector<std::uint8_t> bytes = page.build();
  // The block took slot 0; the records' slots move down one place.
  for (std::size_t j = 0; j < records.size(); ++j) {
    const std::size_t to = kWriterPageSize - 2 - 2 * j;
    bytes[to] = bytes[to - 2];
    bytes[to + 1] = bytes[to - 1];
  }
  bytes[kWriterPageSize - 2 - 2 * records.size()] = 0;
  bytes[kWriterPageSize - 1 - 2 * records.size()] = 0;
  return bytes;
}

}  // namespace portalmend::writer
