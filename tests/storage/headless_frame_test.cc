#include "storage/headless_frame.h"

#include <gtest/gtest.h>

#include <sstream>

namespace portalmend {
namespace {

TEST(HeadlessFrame, CarriesOutMessagesLikeTheDesktopFrame) {
  HeadlessFrame frame;
  EXPECT_EQ(frame.send_message(UM_PROGRESS_RANGE, 0, 500, {}), 1);
  EXPECT_EQ(frame.progress_high(), 500u);
  frame.send_progress_position(120);
  EXPECT_EQ(frame.progress_position(), 120u);
  EXPECT_EQ(frame.send_message(UM_STATUS_TEXT, 0, 0, "Mapping Database Objects..........."), 0);
  EXPECT_EQ(frame.definition_text(), "Mapping Database Objects...........");
  frame.send_log_line("Retrieving Objects...");
  EXPECT_EQ(frame.lines(), std::vector<std::string>{"Retrieving Objects..."});
  EXPECT_EQ(frame.log_text(), "Retrieving Objects...\n");
  frame.send_fatal_error("File cannot be open...........");
  EXPECT_EQ(frame.progress_position(), 0u);
  EXPECT_EQ(frame.definition_text(), "");
  EXPECT_EQ(frame.errors(), std::vector<std::string>{"File cannot be open..........."});
  EXPECT_EQ(frame.send_message(UM_PAGE_NEXT, 0, 0, {}), 1);
  const auto all = frame.messages();
  ASSERT_EQ(all.size(), 6u);
  EXPECT_EQ(all[0].message, UM_PROGRESS_RANGE);
  EXPECT_STREQ(frame_message_name(all[5].message), "UM_PAGE_NEXT");
  EXPECT_STREQ(frame_message_name(42), "");
  EXPECT_EQ(frame.messages(UM_STATUS_TEXT).size(), 1u);
}

TEST(HeadlessFrame, KeepsBothTreesWithItemDataBoldAndOrder) {
  HeadlessFrame frame;
  const TreeItem db = frame.insert_item(TreeId::kObjects, kTreeRoot, "Northwind", 0);
  const TreeItem tables = frame.insert_item(TreeId::kObjects, db, "Tables", 0, 7);
  frame.insert_item(TreeId::kObjects, tables, "orders", 0);
  frame.insert_item(TreeId::kObjects, tables, "Customers", 0);
  frame.insert_item(TreeId::kObjects, tables, "Alpha", 0);
  frame.set_bold(TreeId::kObjects, tables, true);
  frame.sort_children(TreeId::kObjects, tables);
  const TreeItem site = frame.insert_item(TreeId::kSharePoint, kTreeRoot, "SharePointACTUAL", 3);
  frame.set_item_data(TreeId::kSharePoint, site, 0x44000000ull);
  EXPECT_EQ(frame.insert_item(TreeId::kObjects, 9999, "orphan", 0), kNoTreeItem);

  EXPECT_EQ(frame.tree_text(TreeId::kObjects), "Northwind\n  Tables [bold] {data=7}\n    Alpha\n    Customers\n    orders\n");
  EXPECT_EQ(frame.item_text(TreeId::kObjects, tables), "Tables");
  EXPECT_EQ(frame.item_data(TreeId::kObjects, tables), 7u);
  EXPECT_EQ(frame.parent_item(TreeId::kObjects, tables), db);
  EXPECT_EQ(frame.parent_item(TreeId::kObjects, db), kTreeRoot);
  EXPECT_EQ(frame.children(TreeId::kObjects, tables).size(), 3u);
  EXPECT_EQ(frame.find_child(TreeId::kObjects, tables, "Customers"), frame.children(TreeId::kObjects, tables)[1]);
  EXPECT_EQ(frame.find_child(TreeId::kObjects, tables, "Nope"), kNoTreeItem);
  EXPECT_EQ(frame.item_data(TreeId::kSharePoint, site), 0x44000000ull);
  EXPECT_EQ(frame.item_count(TreeId::kSharePoint), 1u);

  frame.expand_all(TreeId::kObjects);
  EXPECT_TRUE(frame.node(TreeId::kObjects, tables).expanded);
  frame.clear_tree(TreeId::kObjects);
  EXPECT_EQ(frame.item_count(TreeId::kObjects), 0u);
  EXPECT_EQ(frame.item_count(TreeId::kSharePoint), 1u);
}

TEST(HeadlessFrame, KeepsRecordsListLabelsAndPrintsEverything) {
  HeadlessFrame frame;
  frame.records_add_column("File Name ", 200);
  frame.records_add_column("Date Created ", 150);
  EXPECT_EQ(frame.records_insert_item(0, "a.docx", 4), 0);
  frame.records_set_item_text(0, 1, "2020-01-01");
  EXPECT_EQ(frame.records_insert_item(5, "b.docx"), 1);  // past the end: appended
  frame.records_insert_item(0, "first");
  EXPECT_EQ(frame.records_item_count(), 3);
  EXPECT_EQ(frame.records_item_text(1, 1), "2020-01-01");
  EXPECT_EQ(frame.records_item_text(1, 7), "");
  frame.records_delete_item(0);
  EXPECT_EQ(frame.rows()[0].item_data, 4u);
  frame.set_page_label("Page1 - [2](1-2) Records");
  frame.set_caption("Scanning completed for selected mdf file");
  frame.report_line(" row 1 inserted");
  frame.replace_last_line(" row 2 inserted");
  frame.show_control(FrameControl::kRecordsList, true);
  frame.enable_control(FrameControl::kNextButton, true);
  EXPECT_TRUE(frame.is_shown(FrameControl::kRecordsList));
  EXPECT_FALSE(frame.is_shown(FrameControl::kDefinitionView));
  EXPECT_TRUE(frame.is_enabled(FrameControl::kNextButton));

  std::ostringstream out;
  frame.print(out);
  const std::string text = out.str();
  EXPECT_NE(text.find("== output ==\n row 2 inserted\n"), std::string::npos) << text;
  EXPECT_NE(text.find("File Name \tDate Created \na.docx\t2020-01-01\nb.docx\n"), std::string::npos) << text;
  EXPECT_NE(text.find("== page label ==\nPage1 - [2](1-2) Records\n"), std::string::npos) << text;
  EXPECT_NE(text.find("== caption ==\nScanning completed for selected mdf file\n"), std::string::npos) << text;

  frame.records_delete_all_items();
  frame.records_delete_columns();
  EXPECT_EQ(frame.records_item_count(), 0);
  EXPECT_EQ(frame.records_column_count(), 0);
  frame.reset();
  EXPECT_TRUE(frame.lines().empty());
}

}  // namespace
}  // namespace portalmend
