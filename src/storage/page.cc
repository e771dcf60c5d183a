#include "storage/page.h"

#include <algorithm>
#include <span>
#include <utility>

#include "storage/database_file.h"

namespace portalmend {

CPage::~CPage() = default;

// ---------------------------------------------------------------------------------------------
// RecordPage

RecordPage::RecordPage(std::vector<std::uint8_t> buffer, const DatabaseFile* file)
    : buffer_(std::move(buffer)), file_(file) {
  const std::size_t page_length = std::min(buffer_.size(), kPageSize);
  header_ = CPage_Header::Decode(std::span<std::uint8_t>(buffer_.data(), page_length));
  slot_count_ = header_.slot_count();
  if (slot_count_ <= 0 || slot_count_ >= kMaxSlotArrayCount) {
    slot_count_ = 0;
    return;
  }
  const ByteReader page = page_bytes();
  std::vector<std::uint16_t> slots(static_cast<std::size_t>(slot_count_), 0);
  for (std::size_t j = 0; j < slots.size(); ++j) slots[j] = page.u16_or(kSlotArrayEnd - 2 * j);
  slot_array_ = std::move(slots);
}

RecordPage::~RecordPage() = default;

ByteReader RecordPage::page_bytes() const {
  return ByteReader(buffer_.data(), std::min(buffer_.size(), kPageSize));
}

RecordSite RecordPage::site(int forwarding_depth) const {
  RecordSite site;
  site.page = page_bytes();
  site.page_number = header_.page_number();
  site.page_type = header_.page_type();
  site.file = file_;
  site.forwarding_depth = forwarding_depth;
  return site;
}

// ---------------------------------------------------------------------------------------------
// PrimaryRecordPage

PrimaryRecordPage::PrimaryRecordPage(std::vector<std::uint8_t> buffer, const DatabaseFile* file,
                                     const ReadOptions& options)
    : PrimaryRecordPage(std::move(buffer), file, options, Build::kAllSlots) {}

PrimaryRecordPage::PrimaryRecordPage(std::vector<std::uint8_t> buffer, const DatabaseFile* file,
                                     const ReadOptions& options, Build build)
    : RecordPage(std::move(buffer), file) {
  if (build == Build::kNoRecords) return;
  read_compression(options);
  if (options.carving()) carve(options);
  build_records(options);
}

PrimaryRecordPage::~PrimaryRecordPage() = default;

bool PrimaryRecordPage::slot_is_unusable(std::uint16_t offset, const ReadOptions& options) const {
  if (header_.page_type() == CPage_Header::kIndexPage && header_.level() != 0) return true;
  if (header_.ghost_record_count() >= slot_count_ && !options.show_deleted) return true;
  return offset == 0 || offset > kPageSize || offset < kPageBodyOffset;
}

void PrimaryRecordPage::read_compression(const ReadOptions& options) {
  // Tables of the SQL Server 2000 layout are never compressed.
  if (options.legacy_catalog || !header_.has_compression_info()) return;
  compression_info_ = ReadCompressionInfo(page_bytes());
}

std::unique_ptr<CPrimaryRecord> PrimaryRecordPage::build_record(std::uint16_t offset, const ReadOptions& options,
                                                                int depth) {
  // Compressed records keep their decoded regions; the row reader rebuilds them with the
  // table's columns and this page's compression information.
  const auto max_length = static_cast<std::uint16_t>(kPageSize - offset);
  return std::make_unique<CPrimaryRecord>(site(depth), offset, max_length, options);
}

void PrimaryRecordPage::build_records(const ReadOptions& options) {
  records_.clear();
  record_offsets_.clear();
  if (!slot_array_ || !header_.is_consistent()) return;
  records_.reserve(slot_array_->size());
  record_offsets_.reserve(slot_array_->size());
  for (const std::uint16_t offset : *slot_array_) {
    record_offsets_.push_back(offset);
    if (slot_is_unusable(offset, options)) {
      records_.push_back(nullptr);
      continue;
    }
    records_.push_back(build_record(offset, options, 0));
  }
}

std::unique_ptr<PrimaryRecordPage> PrimaryRecordPage::one_slot(std::vector<std::uint8_t> buffer,
                                                               const DatabaseFile* file, int slot,
                                                               const ReadOptions& options, int forwarding_depth) {
  std::unique_ptr<PrimaryRecordPage> page(
      new PrimaryRecordPage(std::move(buffer), file, options, Build::kNoRecords));
  page->read_compression(options);
  // Slot numbers run from 0 to slot count - 1; anything else names no record.
  if (!page->slot_array_ || !page->header_.is_consistent() || slot < 0 || slot >= page->slot_count_) {
    return page;
  }
  const std::uint16_t offset = (*page->slot_array_)[static_cast<std::size_t>(slot)];
  page->record_offsets_.push_back(offset);
  if (offset == 0 || offset > kForwardTargetLimit || page->slot_is_unusable(offset, options)) {
    page->records_.push_back(nullptr);
  } else {
    page->records_.push_back(page->build_record(offset, options, forwarding_depth));
  }
  return page;
}

std::optional<std::vector<std::uint8_t>> PrimaryRecordPage::forwarded_record(const DatabaseFile& file,
                                                                            PageAddress address, int slot,
                                                                            int forwarding_depth,
                                                                            const ReadOptions& options) {
  if (slot < 0) return std::nullopt;
  std::optional<std::vector<std::uint8_t>> buffer = file.read_raw_page(address);
  if (!buffer) return std::nullopt;
  const std::unique_ptr<PrimaryRecordPage> page =
      one_slot(std::move(*buffer), &file, slot, options, forwarding_depth);
  if (page->records_.empty() || !page->records_.front()) return std::nullopt;
  const CPrimaryRecord& record = *page->records_.front();
  if (!record.record_bytes() || record.record_length() <= 0) return std::nullopt;
  return record.record_bytes();
}

std::unique_ptr<CPrimaryRecord> PrimaryRecordPage::release_record(std::size_t index) {
  if (index >= records_.size()) return nullptr;
  return std::move(records_[index]);
}

void PrimaryRecordPage::release_carved_records() {
  carved_records_.clear();
  carved_records_.shrink_to_fit();
}

void PrimaryRecordPage::carve(const ReadOptions& options) {
  const ByteReader page = page_bytes();
  std::vector<std::uint16_t> offsets;
  if (slot_array_) offsets = *slot_array_;
  const std::vector<std::uint16_t> slotted = offsets;
  const auto is_slotted = [&](std::size_t pos) {
    return std::find(slotted.begin(), slotted.end(), pos) != slotted.end();
  };
  const auto pattern_at = [&](std::size_t pos) {
    const std::optional<std::uint32_t> word = page.u32(pos);
    return word && (*word == kCarvePatternPrimary || *word == kCarvePatternGhost);
  };

  const RecordSite record_site = site();
  std::size_t pos = kPageBodyOffset;
  std::size_t last_pattern = 0;
  bool search = false;
  while (pos < kSlotArrayEnd) {
    if (options.aborted()) break;
    if (!search) {
      CPrimaryRecord::Carved carved = CPrimaryRecord::carve(record_site, pos, options);
      const std::int32_t length = carved.length;
      carved_records_.push_back(std::move(carved.record));
      if (length > 0) {
        const std::size_t next = pos + static_cast<std::size_t>(length);
        if (!is_slotted(pos) && std::find(offsets.begin(), offsets.end(), pos) == offsets.end()) {
          offsets.push_back(static_cast<std::uint16_t>(pos));
        }
        pos = next;
        if (next >= kPageSize || pattern_at(next)) continue;
      }
      search = true;
    }
    // Search forward for the next place where a deleted row may begin.
    if (pos == last_pattern) ++pos;
    bool found = false;
    while (pos < kSlotArrayEnd) {
      if (options.aborted()) break;
      if (pattern_at(pos)) {
        found = true;
        break;
      }
      ++pos;
    }
    if (!found) break;
    last_pattern = pos;
    search = false;
  }

  if (static_cast<int>(offsets.size()) >= slot_count_) {
    carved_count_ = static_cast<int>(offsets.size()) - slot_count_;
    slot_count_ = static_cast<int>(offsets.size());
    if (offsets.empty()) {
      slot_array_.reset();
    } else {
      slot_array_ = std::move(offsets);
    }
  }
}

// ---------------------------------------------------------------------------------------------
// CDataPage

CDataPage::CDataPage(std::vector<std::uint8_t> buffer, const DatabaseFile* file, const ReadOptions& options)
    : PrimaryRecordPage(std::move(buffer), file, options) {}

CDataPage::~CDataPage() = default;

std::unique_ptr<CDataPage> read_data_page(const DatabaseFile& file, PageAddress address, const ReadOptions& options) {
  std::optional<std::vector<std::uint8_t>> buffer = file.read_raw_page(address);
  if (!buffer) return nullptr;
  return std::make_unique<CDataPage>(std::move(*buffer), &file, options);
}

}  // namespace portalmend
