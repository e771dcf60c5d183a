#pragma once
// One row of a table as text: the column descriptions of the table it was read from and one
// value text per column, in catalog column order.
//
// A row record is an independent copy: it stays valid after the page it came from and the
// read that made it are gone. Rows of one read share one copy of the column descriptions
// (they are the same for every row unless a reader adjusted a column's physical id, which
// gives the later rows a new copy).

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "catalog/column_description.h"

namespace portalmend {

class RowRecord {
 public:
  RowRecord() = default;
  RowRecord(std::shared_ptr<const ColumnDescriptionList> columns, std::vector<std::string> texts);

  // Number of columns (one per column description of the table).
  std::size_t size() const { return texts_.size(); }
  bool empty() const { return texts_.empty(); }

  // The description of column i (name, type code, physical column id, ...).
  const ColumnDescription& column(std::size_t i) const { return (*columns_)[i]; }
  const ColumnDescriptionList& columns() const;
  // The value text of column i: the value, "NULL", a placeholder or the empty text.
  const std::string& text(std::size_t i) const { return texts_[i]; }
  const std::vector<std::string>& texts() const { return texts_; }

  // The row as a column description list whose value texts hold the row's values.
  ColumnDescriptionList descriptions() const;

 private:
  std::shared_ptr<const ColumnDescriptionList> columns_;
  std::vector<std::string> texts_;
};

// True when the records list takes the row out again: column 0 reads empty or "NULL" and
// every later shown column reads empty (a row with hidden columns is always kept).
bool row_shows_nothing(const RowRecord& row, std::size_t first_shown_column);

}  // namespace portalmend
