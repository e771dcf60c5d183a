#pragma once
// One read of a table: its page list and the rows of its pages.
//
// The page list (the table pages in reading order, shared with the paging of the records
// view) is built one of three ways:
//
//   allocation chain   the IAM pages of the allocation unit: their single-page slots, then
//                      every page of every allocated extent (2000 layout: the object's IAM
//                      pages as the mapping scan found them)
//   page chain         the data pages linked by their headers' next-page pointers, from the
//                      first page (2000 layout: every page visited, then the object's other
//                      pages the chain missed)
//   object page list   the table's data pages as the mapping scan found them
//
// Both chain walks remember the pages they visited, so a chain that loops back ends.
// Pages are read one at a time; a page that cannot be read or is not a data page gives no
// rows, and the next page is read.

#include <cstdint>
#include <deque>
#include <set>
#include <vector>

#include "storage/page_address.h"
#include "storage/page_header.h"
#include "tabledata/row_cutter.h"
#include "tabledata/row_record.h"
#include "tabledata/table_read_context.h"
#include "tabledata/table_read_settings.h"
#include "tabledata/table_source.h"

namespace portalmend {

class DatabaseFile;
class Frame;

// Where a row lies: index into the table page list, index into that page's rows.
struct RowPosition {
  std::int64_t page_index = 0;
  std::int64_t row_index = 0;
  friend bool operator==(const RowPosition&, const RowPosition&) = default;
};

// The page list of the shown table and the start positions of its row windows.
struct TablePageList {
  std::vector<PageAddress> pages;
  std::deque<RowPosition> window_starts;
};

enum class PageSource {
  kAllocationChain,
  kPageChain,        // modern layout
  kLegacyPageChain,  // 2000 layout
  kObjectPageList,
};

class TableReader {
 public:
  // `pages` is the caller's page list (the frame's, for the records view); it is rebuilt by
  // the page list builders. Progress goes to `frame` when one is given.
  TableReader(const DatabaseFile& file, const TableSource& source, const TableReadSettings& settings,
              TablePageList& pages, Frame* frame = nullptr);

  const DatabaseFile& file() const { return file_; }
  const TableSource& source() const { return source_; }
  const TableReadSettings& settings() const { return settings_; }
  TablePageList& page_list() { return pages_; }
  TableReadContext& context() { return context_; }
  Frame* frame() const { return frame_; }

  // True when the page number lies inside its file: file 0 or 1 is the data file itself,
  // another id a known secondary file (an unknown id has no valid pages).
  bool valid(PageAddress address) const;

  // Builds the page list from `source` (start is the first IAM page or first data page; it
  // is not used for the object page list) and returns the source the list came from: the
  // legacy page chain falls back to the object page list when the chain gives no page.
  PageSource build_page_list(PageSource source, PageAddress start);

  void build_allocation_chain(PageAddress start);
  void build_page_chain(PageAddress first);
  PageSource build_legacy_page_chain(PageAddress first);
  void build_object_page_list();

  // The rows of one data page, in slot order (empty when the page gives none).
  std::vector<RowRecord> read_page_rows(PageAddress address);

  // Progress of a consumer: start at 0 with the range 0 .. object page list length, one step
  // per IAM page and data page handled, the end of the range when done.
  void begin_progress();
  void advance_progress();
  void end_progress();

  bool aborted() const { return settings_.read.aborted(); }

 private:
  void reset_window_starts();
  void append_if_addressed(PageAddress address);
  bool belongs_to_other_object(PageAddress address) const;
  // Standard mode reads a page only when its header names its own position and, in the
  // modern layout, one of the table's page object ids.
  bool own_page(PageAddress address, const CPage_Header& header) const;

  const DatabaseFile& file_;
  const TableSource& source_;
  TableReadSettings settings_;
  TablePageList& pages_;
  Frame* frame_ = nullptr;
  TableReadContext context_;
  RowCutOptions cut_options_;
  std::uint64_t progress_ = 0;
  std::uint64_t progress_end_ = 0;
};

}  // namespace portalmend
