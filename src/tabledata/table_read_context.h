#pragma once
// The working copy of a table's column descriptions during one read.
//
// The row readers write each column's value text here, record after record; a row record is
// a copy taken after a record has been cut. Every element starts with the value text of its
// description (a computed column's definition), which a hidden column keeps for every row.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "catalog/column_description.h"
#include "tabledata/row_record.h"

namespace portalmend {

class TableReadContext {
 public:
  TableReadContext() = default;
  explicit TableReadContext(const ColumnDescriptionList& columns);

  std::size_t size() const { return texts_.size(); }
  bool empty() const { return texts_.empty(); }
  const ColumnDescription& column(std::size_t i) const { return (*columns_)[i]; }
  const ColumnDescriptionList& columns() const { return *columns_; }

  // Replaces a column's physical column id for this and every later record of the read.
  void set_physical_column_id(std::size_t i, std::int32_t id);

  // The value text of column i as the last record left it.
  const std::string& text(std::size_t i) const { return texts_[i]; }
  void set_text(std::size_t i, std::string text) { texts_[i] = std::move(text); }

  // A copy of the current texts as one row.
  RowRecord row() const;

 private:
  std::shared_ptr<ColumnDescriptionList> columns_ = std::make_shared<ColumnDescriptionList>();
  std::vector<std::string> texts_;
};

}  // namespace portalmend
