#include "tabledata/table_reader.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

#include "storage/database_file.h"
#include "storage/frame.h"
#include "storage/iam_page.h"
#include "storage/page.h"
#include "storage/record.h"

namespace portalmend {
namespace {

constexpr std::uint8_t kDataPageType = 1;

}  // namespace

TableReader::TableReader(const DatabaseFile& file, const TableSource& source, const TableReadSettings& settings,
                         TablePageList& pages, Frame* frame)
    : file_(file), source_(source), settings_(settings), pages_(pages), frame_(frame), context_(source.columns) {
  cut_options_.reader = !settings.read.legacy_catalog && source.has_rowset_columns ? RowReaderKind::kLeafOffset
                                                                                  : RowReaderKind::kOrdinal;
  cut_options_.legacy_catalog = settings.read.legacy_catalog;
  cut_options_.binary_placeholders = settings.binary_placeholders;
  cut_options_.read = settings.read;
}

bool TableReader::valid(PageAddress address) const {
  if (address.page_number <= 0) return false;
  std::uint64_t page_count = 0;
  if (address.file_id == 0 || address.file_id == kPrimaryFileId) {
    page_count = file_.page_count();
  } else {
    auto found = file_.secondary_files().find(address.file_id);
    if (found != file_.secondary_files().end()) page_count = found->second.page_count;
  }
  return static_cast<std::uint64_t>(address.page_number) < page_count;
}

void TableReader::reset_window_starts() {
  pages_.window_starts.clear();
  pages_.window_starts.push_back(RowPosition{0, 0});
}

void TableReader::append_if_addressed(PageAddress address) {
  if (address.file_id != 0 && address.page_number != 0) pages_.pages.push_back(address);
}

PageSource TableReader::build_page_list(PageSource source, PageAddress start) {
  switch (source) {
    case PageSource::kAllocationChain:
      build_allocation_chain(start);
      return source;
    case PageSource::kPageChain:
      build_page_chain(start);
      return source;
    case PageSource::kLegacyPageChain:
      return build_legacy_page_chain(start);
    case PageSource::kObjectPageList:
      build_object_page_list();
      return source;
  }
  return source;
}

void TableReader::build_allocation_chain(PageAddress start) {
  pages_.pages.clear();
  reset_window_starts();
  const bool legacy = settings_.read.legacy_catalog;
  std::vector<PageAddress> legacy_chain;
  if (legacy) {
    for (const PageRef& ref : file_.iam_pages(source_.object_id)) legacy_chain.push_back(ref.address());
    if (legacy_chain.empty()) return;
    start = legacy_chain.front();
  }
  // A damaged chain may point back to an IAM page already read; each is read once.
  std::set<PageAddress> visited;
  std::size_t legacy_next = 1;
  PageAddress current = start;
  while (current.page_number != 0 && !aborted()) {
    if (!legacy && !visited.insert(current).second) break;
    std::unique_ptr<IamPage> iam = read_iam_page(file_, current, settings_.read);
    if (!iam) break;
    advance_progress();
    for (const PageAddress& slot : iam->single_pages()) {
      if (slot.page_number > 0 && static_cast<std::uint64_t>(slot.page_number) <= file_.page_count() &&
          slot.file_id != 0) {
        pages_.pages.push_back(slot);
      }
    }
    for (const ExtentEntry& extent : iam->extent_list()) {
      for (const PageAddress& page : PagesOfExtent(extent)) append_if_addressed(page);
    }
    if (legacy) {
      if (legacy_next >= legacy_chain.size()) break;
      current = legacy_chain[legacy_next++];
    } else {
      current = iam->next_iam_page();
    }
  }
}

void TableReader::build_page_chain(PageAddress first) {
  pages_.pages.clear();
  reset_window_starts();
  append_if_addressed(first);
  std::set<PageAddress> visited;
  PageAddress current = first;
  while (current.page_number != 0 && !aborted()) {
    if (!visited.insert(current).second) break;  // the chain looped back
    std::optional<CPage_Header> header = file_.read_page_header(current);
    if (!header) break;
    advance_progress();
    const PageAddress next = header->next_page();
    if (header->page_type() == kDataPageType && !visited.contains(next)) append_if_addressed(next);
    current = next;
  }
}

PageSource TableReader::build_legacy_page_chain(PageAddress first) {
  pages_.pages.clear();
  reset_window_starts();
  std::set<std::int32_t> visited;
  PageAddress current = first;
  while (current.page_number != 0 && !aborted()) {
    if (!visited.insert(current.page_number).second) break;  // the chain looped back
    std::unique_ptr<CDataPage> page = read_data_page(file_, current, settings_.read);
    if (!page) break;
    advance_progress();
    append_if_addressed(current);
    current = page->header().next_page();
  }
  if (pages_.pages.empty()) {
    build_object_page_list();
    return PageSource::kObjectPageList;
  }
  for (const PageAddress& page : source_.object_pages) {
    if (!visited.contains(page.page_number)) append_if_addressed(page);
  }
  return PageSource::kLegacyPageChain;
}

void TableReader::build_object_page_list() {
  pages_.pages.clear();
  // The mapping scan files a page under its header's object id, which for a small
  // allocation unit id can equal a system table's id, and a table with several allocation
  // units may list the same page once per unit. Each page is read once, and only when its
  // header does not name another object's allocation unit.
  std::set<PageAddress> listed;
  for (const PageAddress& page : source_.object_pages) {
    if (aborted()) break;
    if (page.file_id == 0 || page.page_number == 0 || !listed.insert(page).second) continue;
    if (!source_.other_allocation_units.empty() && belongs_to_other_object(page)) continue;
    pages_.pages.push_back(page);
  }
  reset_window_starts();
}

bool TableReader::own_page(PageAddress address, const CPage_Header& header) const {
  // A page left over from earlier disk contents carries another position in its header.
  if (header.page_number() != address.page_number) return false;
  // An extent of the table may hold pages it has not allocated, still carrying rows of the
  // object that used them before.
  return source_.page_object_ids.empty() || source_.page_object_ids.contains(header.object_id());
}

bool TableReader::belongs_to_other_object(PageAddress address) const {
  std::optional<CPage_Header> header = file_.read_page_header(address);
  if (!header) return false;
  const std::int64_t unit = (static_cast<std::int64_t>(header->index_id()) << 48) |
                            (static_cast<std::int64_t>(static_cast<std::uint32_t>(header->object_id())) << 16);
  return source_.other_allocation_units.contains(unit);
}

std::vector<RowRecord> TableReader::read_page_rows(PageAddress address) {
  std::vector<RowRecord> rows;
  std::unique_ptr<CDataPage> page = read_data_page(file_, address, settings_.read);
  if (!page || page->header().page_type() != kDataPageType) return rows;
  if (!settings_.advanced && !own_page(address, page->header())) return rows;
  const std::size_t slots = page->header().slot_count() > page->slot_count()
                                ? page->header().slot_count()
                                : static_cast<std::size_t>(page->slot_count());
  const auto& records = page->records();
  const auto& offsets = page->record_offsets();
  // Records found again by the search for deleted rows stand at an offset a slot already
  // gave: one record, one row.
  std::set<std::uint16_t> offsets_read;
  for (std::size_t i = 0; i < slots && i < records.size() && !aborted(); ++i) {
    const CPrimaryRecord* record = records[i].get();
    if (!record || record->rejected() || record->record_type() == kIndexRecord) continue;
    if (i < offsets.size() && offsets[i] != 0 && !offsets_read.insert(offsets[i]).second) continue;
    if (record->deleted() && !settings_.read.show_deleted) continue;
    // Without a usable column count the record holds no column of a row (every column would
    // read NULL): bytes of free space, not a row.
    if (record->column_count() <= 0) continue;
    cut_record(*record, context_, cut_options_, &file_);
    rows.push_back(context_.row());
  }
  if (settings_.read.advanced_deleted) page->release_carved_records();
  return rows;
}

void TableReader::begin_progress() {
  progress_ = 0;
  progress_end_ = source_.object_pages.size();
  if (!frame_) return;
  frame_->set_progress_position(0);
  frame_->set_progress_range(0, progress_end_);
}

void TableReader::advance_progress() {
  ++progress_;
  if (frame_) frame_->set_progress_position(progress_);
}

void TableReader::end_progress() {
  progress_ = progress_end_;
  if (frame_) frame_->set_progress_position(progress_end_);
}

}  // namespace portalmend
