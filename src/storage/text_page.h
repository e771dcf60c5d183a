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
#include "storage/lob_value.h"
#include "storage/page.h"
#include "storage/page_address.h"
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

// A text page with one TextRecord per slot; its page type is not examined.
class TextMixPage : public RecordPage {
 public:
  TextMixPage(std::vector<std::uint8_t> buffer, const DatabaseFile* file);
  ~TextMixPage() override;

  // One entry per slot in slot order; empty for a slot outside the page body.
  const std::vector<std::optional<TextRecord>>& records() const { return records_; }
  // Takes a record out of the page (it outlives the page); nothing for an empty entry.
  std::optional<TextRecord> release_record(std::size_t slot);

 private:
  std::vector<std::optional<TextRecord>> records_;
};

// Reads a text page, corrected by the page shift (see ReadTextPageBuffer), or nothing.
std::unique_ptr<TextMixPage> read_text_page(const DatabaseFile& file, PageAddress address);

// Reads the page at `requested` for its text records, torn-page bits restored. When the page
// found there stores another page number (a file whose pages are shifted against their
// positions), the shift s = stored - requested is applied: the page at position requested - s
// is taken when it stores the requested number; otherwise the page at the requested position
// is used as it is. Nothing when no page can be read.
std::optional<std::vector<std::uint8_t>> ReadTextPageBuffer(const DatabaseFile& file, PageAddress requested);

// The records of a large-object tree read from the text pages of a data file. The page read
// last is kept, so that the records sharing a page cost one read.
class DatabaseLobSource : public LobPageSource {
 public:
  explicit DatabaseLobSource(const DatabaseFile& file) : file_(file) {}
  std::optional<TextRecord> ReadTextRecord(const LobLink& link) override;
  // Pages read so far.
  std::size_t pages_read() const { return pages_read_; }

 private:
  const DatabaseFile& file_;
  std::optional<PageAddress> cached_address_;
  std::vector<std::uint8_t> cached_page_;
  std::size_t pages_read_ = 0;
};

// Walk limits that stop when the user asks to stop the current work.
LobWalkLimits LobWalkLimitsFromSettings();

}  // namespace portalmend
