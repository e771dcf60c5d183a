#include "support/page_writer.h"

#include <algorithm>

namespace portalmend::writer {

void put_u8(std::span<std::uint8_t> bytes, std::size_t offset, std::uint8_t value) {
  if (offset < bytes.size()) bytes[offset] = value;
}

namespace {

void put_le(std::span<std::uint8_t> bytes, std::size_t offset, std::uint64_t value, std::size_t width) {
  if (offset > bytes.size() || width > bytes.size() - offset) return;
  for (std::size_t i = 0; i < width; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

void put_u16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value) { put_le(bytes, offset, value, 2); }
void put_u32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value) { put_le(bytes, offset, value, 4); }
void put_u64(std::span<std::uint8_t> bytes, std::size_t offset, std::uint64_t value) { put_le(bytes, offset, value, 8); }

void write_page_header(std::span<std::uint8_t> page, const PageHeaderFields& f) {
  put_u8(page, 0, f.header_version);
  put_u8(page, 1, f.page_type);
  put_u8(page, 2, f.type_flag_bits);
  put_u8(page, 3, f.level);
  put_u16(page, 4, f.flag_bits);
  put_u16(page, 6, f.index_id);
  put_u32(page, 8, static_cast<std::uint32_t>(f.previous_page_number));
  put_u16(page, 12, static_cast<std::uint16_t>(f.previous_file_id));
  put_u16(page, 14, f.min_record_length);
  put_u32(page, 16, static_cast<std::uint32_t>(f.next_page_number));
  put_u16(page, 20, static_cast<std::uint16_t>(f.next_file_id));
  put_u16(page, 22, f.slot_count.value_or(0));
  put_u32(page, 24, static_cast<std::uint32_t>(f.object_id));
  put_u16(page, 28, static_cast<std::uint16_t>(f.free_count.value_or(0)));
  put_u16(page, 30, f.free_data_offset.value_or(0));
  put_u32(page, 32, static_cast<std::uint32_t>(f.page_number));
  put_u16(page, 36, static_cast<std::uint16_t>(f.file_id));
  put_u16(page, 38, f.reserved_count);
  put_u32(page, 40, f.lsn_part1);
  put_u32(page, 44, f.lsn_part2);
  put_u16(page, 48, static_cast<std::uint16_t>(f.lsn_part3));
  put_u16(page, 50, f.transaction_reserved_count);
  put_u32(page, 52, f.transaction_id_part2);
  put_u16(page, 56, static_cast<std::uint16_t>(f.transaction_id_part1));
  put_u16(page, 58, static_cast<std::uint16_t>(f.ghost_record_count));
  put_u32(page, 60, f.torn_bits);
}

std::uint32_t apply_torn_bits(std::span<std::uint8_t> page, std::uint8_t signature) {
  constexpr std::size_t kSector = 512;
  std::uint32_t torn = signature & 3u;
  for (std::size_t sector = 1; sector < kWriterPageSize / kSector; ++sector) {
    const std::size_t last = kSector * (sector + 1) - 1;
    if (last >= page.size()) break;
    torn |= std::uint32_t{page[last] & 3u} << (2 * sector);
    page[last] = static_cast<std::uint8_t>((page[last] & ~3u) | (signature & 3u));
  }
  if (page.size() >= 64) {
    const std::uint16_t flags = static_cast<std::uint16_t>(page[4] | (page[5] << 8));
    put_u16(page, 4, static_cast<std::uint16_t>(flags | 0x0100));
    put_u32(page, 60, torn);
  }
  return torn;
}

int PageWriter::add_record(std::span<const std::uint8_t> record) {
  const std::size_t offset = next_record_offset();
  records_.insert(records_.end(), record.begin(), record.end());
  return add_slot(static_cast<std::uint16_t>(std::min<std::size_t>(offset, 0xFFFF)));
}

int PageWriter::add_slot(std::uint16_t offset) {
  slots_.push_back(offset);
  return static_cast<int>(slots_.size()) - 1;
}

void PageWriter::put_bytes(std::size_t offset, std::span<const std::uint8_t> bytes) {
  patches_.emplace_back(offset, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

std::vector<std::uint8_t> PageWriter::build() const {
  std::vector<std::uint8_t> page(kWriterPageSize, 0);
  std::span<std::uint8_t> bytes(page);
  const std::size_t records_end = std::min(kWriterHeaderSize + records_.size(), kWriterPageSize);
  std::copy_n(records_.begin(), records_end - kWriterHeaderSize, page.begin() + kWriterHeaderSize);
  for (const auto& [offset, patch] : patches_) {
    for (std::size_t i = 0; i < patch.size() && offset + i < kWriterPageSize; ++i) page[offset + i] = patch[i];
  }
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    const std::size_t at = kWriterPageSize - 2 * (i + 1);
    if (at < kWriterHeaderSize) break;
    put_u16(bytes, at, slots_[i]);
  }
  PageHeaderFields fields = fields_;
  if (!fields.slot_count) fields.slot_count = static_cast<std::uint16_t>(slots_.size());
  if (!fields.free_data_offset) fields.free_data_offset = static_cast<std::uint16_t>(records_end);
  if (!fields.free_count) {
    const std::size_t used = records_end + 2 * slots_.size();
    fields.free_count = static_cast<std::int16_t>(used >= kWriterPageSize ? 0 : kWriterPageSize - used);
  }
  write_page_header(bytes, fields);
  return page;
}

std::vector<std::uint8_t> PageWriter::build_torn(std::uint8_t signature) const {
  std::vector<std::uint8_t> page = build();
  apply_torn_bits(page, signature);
  return page;
}

PageWriter standard_page(std::uint32_t position, std::int32_t object_id, std::uint8_t page_type, std::int16_t file_id) {
  PageHeaderFields fields;
  fields.page_type = page_type;
  fields.object_id = object_id;
  fields.page_number = static_cast<std::int32_t>(position);
  fields.file_id = file_id;
  return PageWriter(fields);
}

}  // namespace portalmend::writer
