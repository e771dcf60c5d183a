#include "storage/iam_page.h"

#include <algorithm>
#include <climits>

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

}  // namespace portalmend
