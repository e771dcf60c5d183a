#pragma once
// Index allocation map (IAM) pages: which extents (runs of 8 pages) and which single pages
// belong to one allocation unit within one stretch of a data file.
//
// An IAM page is a record page with two records.
// Slot 0, the IAM header record; offsets within its fixed data (record offset + 4):
// | Offset | Width | Field                                                  |
// |--------|-------|--------------------------------------------------------|
// | 36     | 6     | start page: page number (4) then file id (2)           |
// | 42     | 6 × 8 | single-page slots 0-7, each page number (4), file id (2) |
// Slot 1, the extent bitmap record: its fixed data is the bitmap, one bit per extent, least
// significant bit first within each byte; at most 7988 bytes (63904 extents).
//
// The extents of a bitmap lie in the stretch that holds the IAM page itself: the stretch
// starts at the IAM page's own page number rounded down to a multiple of 511232 (the pages
// 63904 extents span), not at the header's start page.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "storage/byte_reader.h"
#include "storage/page.h"
#include "storage/page_address.h"
#include "storage/read_options.h"

namespace portalmend {

inline constexpr std::size_t kIamStartPageOffset = 36;
inline constexpr std::size_t kIamSinglePagesOffset = 42;
inline constexpr std::size_t kIamPointerSize = 6;
inline constexpr std::size_t kIamSinglePageCount = 8;
inline constexpr std::size_t kIamMaxExtents = 63904;
inline constexpr std::int64_t kIamIntervalPages = 511232;
inline constexpr int kPagesPerExtent = 8;

// One allocated extent: its first page and the number of its last page (first + 7).
struct ExtentEntry {
  PageAddress first;
  std::int32_t last_page = 0;
};

// The header fields of an IAM page.
struct IamHeader {
  // First page of the stretch the page maps, as the header records it.
  PageAddress start_page{kPrimaryFileId, 0};
  // Pages allocated one by one (page 0 where a slot is unused).
  std::array<PageAddress, kIamSinglePageCount> single_pages{};
  IamHeader() { single_pages.fill(PageAddress{kPrimaryFileId, 0}); }
};

// A 6-byte on-disk page pointer (page number, then file id) as a PageAddress.
std::optional<PageAddress> ReadPagePointer(ByteReader bytes, std::size_t offset);

// Decodes the header record's fixed data; fields that do not fit keep their initial values.
IamHeader DecodeIamHeader(ByteReader header_fixed_data);

// One flag (0 or 1) per extent of the bitmap record's fixed data, at most 63904.
std::vector<std::uint8_t> DecodeExtentFlags(ByteReader bitmap_fixed_data);

// The allocated extents in bitmap order. iam_page is the IAM page's own address (from its
// header); extent_limit is the number of extents in its file: extents at or beyond it lie
// past the end of the file and are left out.
std::vector<ExtentEntry> ExtentList(const std::vector<std::uint8_t>& flags, PageAddress iam_page,
                                    std::uint64_t extent_limit);

// The pages of an extent in ascending order (nothing when last is below first).
std::vector<PageAddress> PagesOfExtent(const ExtentEntry& extent);

// Number of extents in the file with this id (0 for an unknown file): extents at or beyond it
// lie past the file's end.
std::uint64_t ExtentLimit(const DatabaseFile& file, std::uint16_t file_id);

// The extent bitmap of an allocation page, read from its record 1.
class ExtentAllocationMap : public PrimaryRecordPage {
 public:
  ExtentAllocationMap(std::vector<std::uint8_t> buffer, const DatabaseFile* file, const ReadOptions& options);
  ~ExtentAllocationMap() override;

  // One flag (0 or 1) per extent, in bitmap order; empty when the page has no bitmap record.
  const std::vector<std::uint8_t>& extent_flags() const { return extent_flags_; }
  // The allocated extents in bitmap order, in the stretch of the file holding this page.
  std::vector<ExtentEntry> extent_list() const;
  // The page's own address from its header.
  PageAddress own_address() const;

 private:
  std::vector<std::uint8_t> extent_flags_;
};

// An IAM page: the extent bitmap plus the header record's start page and single-page slots.
class IamPage : public ExtentAllocationMap {
 public:
  IamPage(std::vector<std::uint8_t> buffer, const DatabaseFile* file, const ReadOptions& options);
  ~IamPage() override;

  // First page of the stretch the page maps, as its header record says.
  PageAddress start_page() const { return iam_header_.start_page; }
  // The eight single-page slots (page 0 where unused; the reader decides to skip them).
  const std::array<PageAddress, kIamSinglePageCount>& single_pages() const { return iam_header_.single_pages; }
  // The next IAM page of the chain (page 0 ends it).
  PageAddress next_iam_page() const { return header().next_page(); }

 private:
  IamHeader iam_header_;
};

// Reads the page at `address` as an IAM page, or nothing when it cannot be read.
std::unique_ptr<IamPage> read_iam_page(const DatabaseFile& file, PageAddress address,
                                       const ReadOptions& options = ReadOptions::from_settings());

// Most IAM pages followed along one chain (a chain covers 4 GB of file per page).
inline constexpr std::size_t kMaxIamChainLength = 65536;

// Every page an allocation unit owns according to its IAM chain from first_iam: the single
// pages (page 0 left out) and every page of every allocated extent, in chain order. The walk
// ends at a page 0 link, at an unreadable page, at a page already visited (a damaged chain
// that loops), or after kMaxIamChainLength pages. iam_pages_out, when given, receives the IAM
// pages visited.
std::vector<PageAddress> AllocationUnitPages(const DatabaseFile& file, PageAddress first_iam,
                                             std::vector<PageAddress>* iam_pages_out = nullptr);

}  // namespace portalmend
