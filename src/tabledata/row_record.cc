#include "tabledata/row_record.h"

#include <utility>

namespace portalmend {

RowRecord::RowRecord(std::shared_ptr<const ColumnDescriptionList> columns, std::vector<std::string> texts)
    : columns_(std::move(columns)), texts_(std::move(texts)) {
  if (!columns_ || columns_->size() != texts_.size()) {
    columns_.reset();
    texts_.clear();
  }
}

const ColumnDescriptionList& RowRecord::columns() const {
  static const ColumnDescriptionList kNone;
  return columns_ ? *columns_ : kNone;
}

ColumnDescriptionList RowRecord::descriptions() const {
  ColumnDescriptionList result = columns();
  for (std::size_t i = 0; i < result.size(); ++i) result[i].value_text = texts_[i];
  return result;
}

bool row_shows_nothing(const RowRecord& row, std::size_t first_shown_column) {
  if (row.empty()) return true;
  std::size_t count = (row.text(0).empty() || row.text(0) == "NULL") ? 1 : 0;
  for (std::size_t i = first_shown_column + 1; i < row.size(); ++i) {
    if (!row.column(i).hidden() && row.text(i).empty()) ++count;
  }
  return count == row.size();
}

}  // namespace portalmend
