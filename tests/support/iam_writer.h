#pragma once
// Writes IAM pages: the header record (start page, single-page slots) in slot 0 and the
// extent bitmap record in slot 1, as SQL Server lays them out.

#include <cstdint>
#include <vector>

#include "storage/page_address.h"

namespace portalmend::writer {

struct IamPageContents {
  // Where the page lies (its header stores this position).
  std::uint32_t position = 0;
  std::uint16_t file_id = 1;
  // Header object id and index id of the allocation unit mapped.
  std::int32_t object_id = 0;
  std::uint16_t index_id = 0;
  PageAddress start_page{1, 0};
  // Up to eight single pages.
  std::vector<PageAddress> single_pages;
  // Allocated extents, numbered within the page's interval (extent i covers base + 8i ...).
  std::vector<std::size_t> extents;
  // The next IAM page of the chain (page 0 ends it).
  PageAddress next{0, 0};
  // Bytes of the bitmap record (7988 on a real page).
  std::size_t bitmap_bytes = 7988;
};

std::vector<std::uint8_t> IamPage(const IamPageContents& contents);

}  // namespace portalmend::writer
