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

}  // namespace portalmend
