#include "storage/text_page.h"

#include <algorithm>

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

}  // namespace portalmend
