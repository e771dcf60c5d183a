#pragma once
// Reading the rows of a table: which pages belong to it, and who takes the rows.
//
// Standard mode follows the catalog's allocation structures:
//   modern layout  no first IAM page            -> object page list
//                  heap (index id 0)            -> allocation chain from the first IAM page,
//                                                  and when that shows no row the page chain
//                                                  from the first page; without a valid first
//                                                  IAM page the page chain alone
//                  clustered table              -> SharePoint reader or records view over the
//                                                  allocation chain (nothing without a valid
//                                                  first IAM page)
//   2000 layout    sysindexes entry with id 1   -> page chain from its first page
//                  otherwise                    -> allocation chain from the object's first
//                                                  IAM page
// Advanced mode reads the table's pages as the mapping scan found them: a SharePoint reader
// for the sites, lists and documents tables, the records view for any other.

#include <functional>
#include <utility>

#include "tabledata/table_reader.h"

namespace portalmend {

// Who takes the rows of a read: the records view (first window) and the SharePoint readers
// build their page list through the reader and read the pages they want.
class TableRowConsumer {
 public:
  virtual ~TableRowConsumer() = default;

  // Shows the table's rows from `source` (start: the first IAM page or first data page).
  // Returns true when at least one row was shown.
  virtual bool show_records(TableReader& reader, PageSource source, PageAddress start) = 0;

  // Reads a SharePoint table: the standard readers over the allocation chain from `start`,
  // the advanced readers over the object page list. By default the rows are shown like any
  // other table's.
  virtual void read_sharepoint_table(TableReader& reader, TableKind kind, PageSource source, PageAddress start);
};

// A consumer that hands every row of every page, in page list order, to a callback.
// The callback returns false to stop the read.
class EveryRowConsumer : public TableRowConsumer {
 public:
  using RowCallback = std::function<bool(const RowRecord& row)>;
  explicit EveryRowConsumer(RowCallback callback) : callback_(std::move(callback)) {}

  bool show_records(TableReader& reader, PageSource source, PageAddress start) override;

  // The page source of the last read (after the fallback of the legacy page chain).
  PageSource last_source() const { return last_source_; }
  std::uint64_t rows_taken() const { return rows_taken_; }

 private:
  RowCallback callback_;
  PageSource last_source_ = PageSource::kObjectPageList;
  std::uint64_t rows_taken_ = 0;
  bool stopped_ = false;
};

// Reads the table described by `source` and hands its rows to `consumer`, following the
// selection above. While it runs, the application's binary placeholder mode is set as the
// settings ask; the abort flag, when set during the read, is cleared at its end so that a
// stop ends only this read.
void read_table_rows(const DatabaseFile& file, const TableSource& source, const TableReadSettings& settings,
                     TablePageList& pages, TableRowConsumer& consumer, Frame* frame = nullptr);

}  // namespace portalmend
