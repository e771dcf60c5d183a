#include "storage/page_header.h"

#include <cstdio>

#include "storage/byte_reader.h"

namespace portalmend {

CPage_Header CPage_Header::Decode(std::span<std::uint8_t> page) {
  CPage_Header header = DecodeHeaderOnly(page);
  if (header.has_torn_bits()) RestoreTornBits(page, header.torn_bits_);
  return header;
}

CPage_Header CPage_Header::DecodeHeaderOnly(std::span<const std::uint8_t> page) {
  const ByteReader in(page);
  CPage_Header h;
  h.header_version_ = in.u8_or(kHeaderVersionOffset);
  h.page_type_ = in.u8_or(kPageTypeOffset);
  h.type_flag_bits_ = in.u8_or(kTypeFlagBitsOffset);
  h.level_ = in.u8_or(kLevelOffset);
  h.flag_bits_ = in.u16_or(kFlagBitsOffset);
  h.index_id_ = in.u16_or(kIndexIdOffset);
  h.previous_page_number_ = in.i32_or(kPreviousPageOffset);
  h.previous_file_id_ = in.i16_or(kPreviousFileIdOffset);
  h.min_record_length_ = in.u16_or(kMinRecordLengthOffset);
  h.next_page_number_ = in.i32_or(kNextPageOffset);
  h.next_file_id_ = in.i16_or(kNextFileIdOffset);
  h.slot_count_ = in.u16_or(kSlotCountOffset);
  h.object_id_ = in.i32_or(kObjectIdOffset);
  h.free_count_ = in.i16_or(kFreeCountOffset);
  h.free_data_offset_ = in.u16_or(kFreeDataOffsetOffset);
  h.page_number_ = in.i32_or(kPageNumberOffset);
  h.file_id_ = in.i16_or(kFileIdOffset);
  h.reserved_count_ = in.u16_or(kReservedCountOffset);
  h.lsn_part1_ = in.u32_or(kLsnPart1Offset);
  h.lsn_part2_ = in.u32_or(kLsnPart2Offset);
  h.lsn_part3_ = in.i16_or(kLsnPart3Offset);
  h.transaction_reserved_count_ = in.u16_or(kTransactionReservedCountOffset);
  h.transaction_id_part2_ = in.u32_or(kTransactionIdPart2Offset);
  h.transaction_id_part1_ = in.i16_or(kTransactionIdPart1Offset);
  h.ghost_record_count_ = in.i16_or(kGhostRecordCountOffset);
  h.torn_bits_ = in.u32_or(kTornBitsOffset);

  char text[64];
  std::snprintf(text, sizeof text, "( %u : %u : %d )", h.lsn_part1_, h.lsn_part2_, int{h.lsn_part3_});
  h.lsn_text_ = text;
  std::snprintf(text, sizeof text, "( %d : %u )", int{h.transaction_id_part1_}, h.transaction_id_part2_);
  h.transaction_id_text_ = text;
  return h;
}

void CPage_Header::RestoreTornBits(std::span<std::uint8_t> page, std::uint32_t torn_bits) {
  // Sector 0 holds the header itself and group 0 the signature; both stay as they are.
  for (std::size_t sector = 1; sector < kPageSize / kSectorSize; ++sector) {
    const std::size_t last_byte = kSectorSize * (sector + 1) - 1;
    if (last_byte >= page.size()) break;
    const auto saved = static_cast<std::uint8_t>((torn_bits >> (2 * sector)) & 3u);
    page[last_byte] = static_cast<std::uint8_t>((page[last_byte] & ~3u) | saved);
  }
}

PageAddress CPage_Header::previous_page() const {
  return PageAddress{static_cast<std::uint16_t>(previous_file_id_), previous_page_number_};
}

PageAddress CPage_Header::next_page() const {
  return PageAddress{static_cast<std::uint16_t>(next_file_id_), next_page_number_};
}

bool CPage_Header::is_consistent() const {
  return slot_count_ <= kMaxSlotCount && ghost_record_count_ >= 0 && free_count_ >= 0 && next_file_id_ >= 0 &&
         next_page_number_ >= 0 && page_number_ >= 0 && file_id_ >= 0 && previous_file_id_ >= 0 &&
         previous_page_number_ >= 0;
}

}  // namespace portalmend
