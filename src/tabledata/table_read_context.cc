#include "tabledata/table_read_context.h"

#include <utility>

namespace portalmend {

TableReadContext::TableReadContext(const ColumnDescriptionList& columns)
    : columns_(std::make_shared<ColumnDescriptionList>(columns)) {
  texts_.reserve(columns.size());
  for (const ColumnDescription& column : columns) texts_.push_back(column.value_text);
}

void TableReadContext::set_physical_column_id(std::size_t i, std::int32_t id) {
  if ((*columns_)[i].physical_column_id == id) return;
  // Rows already handed out keep the descriptions they were read with.
  if (columns_.use_count() > 1) columns_ = std::make_shared<ColumnDescriptionList>(*columns_);
  (*columns_)[i].physical_column_id = id;
}

RowRecord TableReadContext::row() const { return RowRecord(columns_, texts_); }

}  // namespace portalmend
