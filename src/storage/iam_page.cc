#include "storage/iam_page.h"

#include <algorithm>
#include <climits>
#include <set>
#include <span>

#include "storage/database_file.h"
#include "storage/page_header.h"

namespace portalmend {

std::optional<PageAddress> ReadPagePointer(ByteReader bytes, std::size_t offset) {
  auto page = bytes.i32(offset);
  auto file = bytes.u16(offset + 4);
  if (!page || !file) return std::nullopt;
  return PageAddress{*file, *page};
}

IamHeader DecodeIamHeader(ByteReader fixed) {
  IamHeader header;
  if (auto start = ReadPagePointer(fixed, kIamStartPageOffset)) header.start_page = *start;
  for (std::size_t i = 0; i < kIamSinglePageCount; ++i) {
    if (auto single = ReadPagePointer(fixed, kIamSinglePagesOffset + i * kIamPointerSize)) {
      header.single_pages[i] = *single;
    }
  }
  return header;
}

std::vector<std::uint8_t> DecodeExtentFlags(ByteReader bitmap) {
  std::vector<std::uint8_t> flags;
  const std::size_t bytes = std::min(bitmap.size(), kIamMaxExtents / 8);
  flags.reserve(bytes * 8);
  for (std::size_t i = 0; i < bytes; ++i) {
    const std::uint8_t b = *bitmap.u8(i);
    for (int j = 0; j < 8; ++j) flags.push_back(static_cast<std::uint8_t>((b >> j) & 1));
  }
  return flags;
}

std::vector<ExtentEntry> ExtentList(const std::vector<std::uint8_t>& flags, PageAddress iam_page,
                                    std::uint64_t extent_limit) {
  std::vector<ExtentEntry> extents;
  if (iam_page.page_number < 0) return extents;
  const std::int64_t base = iam_page.page_number / kIamIntervalPages * kIamIntervalPages;
  const std::uint64_t base_extent = static_cast<std::uint64_t>(base / kPagesPerExtent);
  for (std::size_t i = 0; i < flags.size(); ++i) {
    if (base_extent + i >= extent_limit) break;
    if (!flags[i]) continue;
    const std::int64_t first = base + kPagesPerExtent * static_cast<std::int64_t>(i);
    if (first + kPagesPerExtent - 1 > INT32_MAX) break;
    extents.push_back({PageAddress{iam_page.file_id, static_cast<std::int32_t>(first)},
                       static_cast<std::int32_t>(first + kPagesPerExtent - 1)});
  }
  return extents;
}

std::vector<PageAddress> PagesOfExtent(const ExtentEntry& extent) {
  std::vector<PageAddress> pages;
  if (extent.last_page < extent.first.page_number) return pages;
  for (std::int64_t p = extent.first.page_number; p <= extent.last_page; ++p) {
    pages.push_back(PageAddress{extent.first.file_id, static_cast<std::int32_t>(p)});
  }
  return pages;
}

std::optional<ByteReader> SlotFixedData(ByteReader page, std::size_t slot) {
  constexpr std::size_t kSlotCountOffset = 22, kSlotArrayEnd = 8190, kHeaderSize = 96;
  const std::uint16_t count = page.u16_or(kSlotCountOffset);
  if (slot >= count || count >= 4000) return std::nullopt;
  const std::size_t offset = page.u16_or(kSlotArrayEnd - 2 * slot);
  if (offset < kHeaderSize || offset >= 8192) return std::nullopt;
  auto fixed_end = page.u16(offset + 2);
  if (!fixed_end || *fixed_end <= 4) return std::nullopt;
  return page.sub(offset + 4, *fixed_end - 4u);
}

IamPageContents DecodeIamPage(ByteReader page) {
  IamPageContents out;
  const CPage_Header header = CPage_Header::DecodeHeaderOnly(page.span());
  out.self = PageAddress{static_cast<std::uint16_t>(header.file_id()), header.page_number()};
  out.next = header.next_page();
  if (auto fixed = SlotFixedData(page, 0)) out.header = DecodeIamHeader(*fixed);
  if (auto bitmap = SlotFixedData(page, 1)) out.extent_flags = DecodeExtentFlags(*bitmap);
  return out;
}

std::vector<PageAddress> AllocationUnitPages(const DatabaseFile& file, PageAddress first_iam,
                                             std::vector<PageAddress>* iam_pages_out) {
  std::vector<PageAddress> pages;
  std::set<PageAddress> visited;
  PageAddress at = first_iam;
  while (at.page_number > 0 && visited.size() < kMaxIamChainLength && visited.insert(at).second) {
    auto buffer = file.read_raw_page(at);
    if (!buffer) break;
    CPage_Header::Decode(std::span<std::uint8_t>(*buffer));
    const IamPageContents iam = DecodeIamPage(ByteReader(buffer->data(), std::min<std::size_t>(buffer->size(), 8192)));
    if (iam_pages_out) iam_pages_out->push_back(at);
    for (const PageAddress& single : iam.header.single_pages) {
      if (single.page_number != 0) pages.push_back(single);
    }
    // Extents are placed by the position the page was read from, which is where its own
    // number says it is on a healthy page.
    std::uint64_t extents = 0;
    if (at.file_id == kPrimaryFileId) {
      extents = file.extent_count();
    } else if (auto secondary = file.secondary_files().find(at.file_id); secondary != file.secondary_files().end()) {
      extents = secondary->second.page_count / kPagesPerExtent;
    }
    for (const ExtentEntry& extent : ExtentList(iam.extent_flags, at, extents)) {
      for (const PageAddress& p : PagesOfExtent(extent)) pages.push_back(p);
    }
    at = iam.next;
  }
  return pages;
}

}  // namespace portalmend
