#include "storage/text_page.h"

#include <algorithm>
#include <climits>
#include <span>
#include <utility>

#include "storage/app_settings.h"
#include "storage/database_file.h"
#include "storage/page_header.h"

namespace portalmend {

std::vector<std::uint16_t> TextPageSlotOffsets(ByteReader page) {
  std::vector<std::uint16_t> offsets;
  const std::uint16_t count = page.u16_or(kTextPageSlotCountOffset);
  if (count == 0 || count >= kTextPageMaxSlots) return offsets;
  for (std::size_t j = 0; j < count; ++j) {
    offsets.push_back(page.u16_or(kTextPageSlotArrayEnd - 2 * j));
  }
  return offsets;
}

std::optional<TextRecord> TextRecordAtSlot(ByteReader page, std::size_t slot) {
  const std::uint16_t count = page.u16_or(kTextPageSlotCountOffset);
  if (count == 0 || count >= kTextPageMaxSlots || slot >= count) return std::nullopt;
  const std::size_t offset = page.u16_or(kTextPageSlotArrayEnd - 2 * slot);
  if (offset < kTextPageHeaderSize || offset >= std::min<std::size_t>(page.size(), 8192)) return std::nullopt;
  return TextRecord::Decode(page.clamp(offset, 8192 - offset));
}

std::optional<std::vector<std::uint8_t>> ReadTextPageBuffer(const DatabaseFile& file, PageAddress requested) {
  auto buffer = file.read_raw_page(requested);
  if (buffer) {
    const CPage_Header header = CPage_Header::DecodeHeaderOnly(std::span<const std::uint8_t>(*buffer));
    const std::int64_t shift = std::int64_t{header.page_number()} - requested.page_number;
    const std::int64_t shifted = requested.page_number - shift;
    if (shift != 0 && shifted > 0 && shifted <= INT32_MAX) {
      const PageAddress candidate{requested.file_id, static_cast<std::int32_t>(shifted)};
      auto candidate_buffer = file.read_raw_page(candidate);
      if (candidate_buffer &&
          CPage_Header::DecodeHeaderOnly(std::span<const std::uint8_t>(*candidate_buffer)).page_number() ==
              requested.page_number) {
        buffer = std::move(candidate_buffer);
      }
    }
  }
  if (!buffer) return std::nullopt;
  CPage_Header::Decode(std::span<std::uint8_t>(*buffer));
  return buffer;
}

std::optional<TextRecord> DatabaseLobSource::ReadTextRecord(const LobLink& link) {
  const PageAddress address{link.file_id, link.page_number};
  if (!cached_address_ || *cached_address_ != address) {
    auto buffer = ReadTextPageBuffer(file_, address);
    cached_address_ = address;
    cached_page_ = buffer ? std::move(*buffer) : std::vector<std::uint8_t>();
    ++pages_read_;
  }
  if (cached_page_.empty()) return std::nullopt;
  return TextRecordAtSlot(ByteReader(cached_page_.data(), std::min<std::size_t>(cached_page_.size(), 8192)),
                          link.slot);
}

TextMixPage::TextMixPage(std::vector<std::uint8_t> buffer, const DatabaseFile* file)
    : RecordPage(std::move(buffer), file) {
  const ByteReader page = page_bytes();
  for (int slot = 0; slot < slot_count(); ++slot) records_.push_back(TextRecordAtSlot(page, static_cast<std::size_t>(slot)));
}

TextMixPage::~TextMixPage() = default;

std::optional<TextRecord> TextMixPage::release_record(std::size_t slot) {
  if (slot >= records_.size()) return std::nullopt;
  return std::exchange(records_[slot], std::nullopt);
}

std::unique_ptr<TextMixPage> read_text_page(const DatabaseFile& file, PageAddress address) {
  auto buffer = ReadTextPageBuffer(file, address);
  if (!buffer) return nullptr;
  return std::make_unique<TextMixPage>(std::move(*buffer), &file);
}

LobWalkLimits LobWalkLimitsFromSettings() {
  LobWalkLimits limits;
  limits.stop = [] { return theApp.abort_flag.load() != 0; };
  return limits;
}

}  // namespace portalmend
