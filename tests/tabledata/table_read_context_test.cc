// The working copy of a table's columns during a read, and the rows copied from it.

#include "tabledata/table_read_context.h"

#include <gtest/gtest.h>

namespace portalmend {
namespace {

ColumnDescriptionList three_columns() {
  ColumnDescriptionList columns(3);
  for (int i = 0; i < 3; ++i) {
    columns[i].column_id = i + 1;
    columns[i].physical_column_id = i + 1;
    columns[i].name = "c" + std::to_string(i + 1);
  }
  columns[2].physical_column_id = ColumnDescription::kHidden;
  columns[2].value_text = "([c1]+[c2])";
  return columns;
}

TEST(TableReadContext, StartsWithTheDescriptionsTexts) {
  TableReadContext context(three_columns());
  ASSERT_EQ(context.size(), 3u);
  EXPECT_EQ(context.text(0), "");
  EXPECT_EQ(context.text(2), "([c1]+[c2])");
}

TEST(TableReadContext, RowsAreIndependentCopies) {
  TableReadContext context(three_columns());
  context.set_text(0, "1");
  context.set_text(1, "one");
  RowRecord first = context.row();
  context.set_text(0, "2");
  context.set_physical_column_id(1, 7);
  RowRecord second = context.row();

  EXPECT_EQ(first.text(0), "1");
  EXPECT_EQ(first.column(1).physical_column_id, 2);
  EXPECT_EQ(second.text(0), "2");
  EXPECT_EQ(second.column(1).physical_column_id, 7);
  EXPECT_EQ(second.column(1).name, "c2");
  ColumnDescriptionList described = second.descriptions();
  EXPECT_EQ(described[0].value_text, "2");
  EXPECT_EQ(described[2].value_text, "([c1]+[c2])");
}

TEST(TableReadContext, EmptyRowRecordHasNoColumns) {
  RowRecord none;
  EXPECT_TRUE(none.empty());
  EXPECT_TRUE(none.columns().empty());
}

}  // namespace
}  // namespace portalmend
