#pragma once
// Text pages: pages whose slots hold the records of large-object trees.
//
// Page layout: the 96-byte page header (slot count at offset 22, page number at 32), records
// from offset 96, and the slot array at the end of the page, entry j being the 16-bit record
// offset at 8190 - 2j. A slot count of 0 or of 4000 and more means the page has no slot array.

#include <cstdint>
#include <optional>
#include <vector>

#include "storage/byte_reader.h"
#include "storage/text_record.h"

namespace portalmend {

inline constexpr std::size_t kTextPageSlotCountOffset = 22;
inline constexpr std::size_t kTextPagePageNumberOffset = 32;
inline constexpr std::size_t kTextPageHeaderSize = 96;
inline constexpr std::size_t kTextPageSlotArrayEnd = 8190;
inline constexpr std::uint16_t kTextPageMaxSlots = 4000;

// The record offsets of a page's slot array (empty without one).
std::vector<std::uint16_t> TextPageSlotOffsets(ByteReader page);

// The text record of one slot of a page, or nothing when the slot does not exist or points
// outside the page body.
std::optional<TextRecord> TextRecordAtSlot(ByteReader page, std::size_t slot);

}  // namespace portalmend
