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

std::uint64_t ExtentLimit(const DatabaseFile& file, std::uint16_t file_id) {
  if (file_id == kPrimaryFileId) return file.extent_count();
  auto secondary = file.secondary_files().find(file_id);
  return secondary == file.secondary_files().end() ? 0 : secondary->second.page_count / kPagesPerExtent;
}

ExtentAllocationMap::ExtentAllocationMap(std::vector<std::uint8_t> buffer, const DatabaseFile* file,
                                         const ReadOptions& options)
    : PrimaryRecordPage(std::move(buffer), file, options) {
  if (options.aborted() || records().size() < 2 || !records()[1] || !records()[1]->fixed_data()) return;
  extent_flags_ = DecodeExtentFlags(ByteReader(*records()[1]->fixed_data()));
}

ExtentAllocationMap::~ExtentAllocationMap() = default;

PageAddress ExtentAllocationMap::own_address() const {
  return PageAddress{static_cast<std::uint16_t>(header().file_id()), header().page_number()};
}

std::vector<ExtentEntry> ExtentAllocationMap::extent_list() const {
  const PageAddress self = own_address();
  const std::uint64_t limit = file() ? ExtentLimit(*file(), self.file_id) : kIamMaxExtents;
  return ExtentList(extent_flags_, self, limit);
}

IamPage::IamPage(std::vector<std::uint8_t> buffer, const DatabaseFile* file, const ReadOptions& options)
    : ExtentAllocationMap(std::move(buffer), file, options) {
  if (records().empty() || !records()[0] || !records()[0]->fixed_data()) return;
  iam_header_ = DecodeIamHeader(ByteReader(*records()[0]->fixed_data()));
}

IamPage::~IamPage() = default;

std::unique_ptr<IamPage> read_iam_page(const DatabaseFile& file, PageAddress address, const ReadOptions& options) {
  auto buffer = file.read_raw_page(address);
  if (!buffer) return nullptr;
  return std::make_unique<IamPage>(std::move(*buffer), &file, options);
}

std::vector<PageAddress> AllocationUnitPages(const DatabaseFile& file, PageAddress first_iam,
                                             std::vector<PageAddress>* iam_pages_out) {
  std::vector<PageAddress> pages;
  std::set<PageAddress> visited;
  ReadOptions options;  // the allocation records alone; no deleted-record search
  options.poll_abort = false;
  PageAddress at = first_iam;
  while (at.page_number > 0 && visited.size() < kMaxIamChainLength && visited.insert(at).second) {
    auto buffer = file.read_raw_page(at);
    if (!buffer) break;
    const IamPage iam(std::move(*buffer), &file, options);
    if (iam_pages_out) iam_pages_out->push_back(at);
    for (const PageAddress& single : iam.single_pages()) {
      if (single.page_number != 0) pages.push_back(single);
    }
    // Extents are placed by the position the page was read from, which is where its own
    // number says it is on a healthy page.
    for (const ExtentEntry& extent : ExtentList(iam.extent_flags(), at, ExtentLimit(file, at.file_id))) {
      for (const PageAddress& p : PagesOfExtent(extent)) pages.push_back(p);
    }
    at = iam.next_iam_page();
  }
  return pages;
}

}  // namespace portalmend
