// Which pages a table read takes its rows from: the allocation chain, the page chain, the
// object page list, the Standard and Advanced selections, and damaged pages on the way.

#include "tabledata/table_rows.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "storage/app_settings.h"
#include "storage/database_file.h"
#include "storage/headless_frame.h"
#include "support/data_file_writer.h"
#include "support/page_writer.h"
#include "support/record_writer.h"
#include "support/temp_dir.h"
#include "values/type_code.h"

namespace portalmend {
namespace {

using writer::PageWriter;
using writer::RecordSpec;
using writer::VariableColumn;

constexpr std::int32_t kTableObject = 700001;  // page object id of the table's pages
constexpr std::uint32_t kPageCount = 64;
constexpr std::int32_t kIamPage = 40;
constexpr std::int32_t kSinglePage = 41;   // listed in a single-page slot
constexpr std::int32_t kExtentPage = 48;   // first page of the allocated extent 6
constexpr std::int32_t kIndexPage = 49;    // an index page inside the extent
constexpr std::int32_t kForeignPage = 51;  // a page of another object inside the extent
constexpr std::int32_t kGarbagePage = 52;  // a data page whose slots point at nonsense

std::vector<std::uint8_t> row(std::int32_t id, const std::string& name) {
  RecordSpec desc;
  desc.fixed = {static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8), 0, 0};
  desc.column_count = 2;
  desc.nulls = {false, false};
  std::vector<std::uint8_t> text;
  for (char c : name) {
    text.push_back(static_cast<std::uint8_t>(c));
    text.push_back(0);
  }
  desc.variable = {VariableColumn{text}};
  return writer::encode_record(desc);
}

PageWriter data_page(std::int32_t position, std::int32_t object, const std::vector<std::int32_t>& ids,
                     std::int32_t next = 0) {
  PageWriter page = writer::standard_page(static_cast<std::uint32_t>(position), object, 1);
  for (std::int32_t id : ids) page.add_record(row(id, "row" + std::to_string(id)));
  page.header().next_page_number = next;
  page.header().next_file_id = next ? 1 : 0;
  return page;
}

// An IAM page with single-page slots and an extent bitmap.
PageWriter iam_page(std::int32_t position, const std::vector<std::pair<std::int32_t, std::uint16_t>>& slots,
                    std::uint8_t bitmap_byte) {
  PageWriter page = writer::standard_page(static_cast<std::uint32_t>(position), kTableObject, 10);
  RecordSpec header;
  header.fixed.assign(90, 0);
  for (std::size_t i = 0; i < slots.size(); ++i) {
    writer::put_u32(header.fixed, 42 + 6 * i, static_cast<std::uint32_t>(slots[i].first));
    writer::put_u16(header.fixed, 46 + 6 * i, slots[i].second);
  }
  header.null_bitmap = false;
  header.column_count = 1;
  page.add_record(writer::encode_record(header));
  RecordSpec bitmap;
  bitmap.fixed = {bitmap_byte, 0, 0, 0};
  bitmap.null_bitmap = false;
  bitmap.column_count = 1;
  page.add_record(writer::encode_record(bitmap));
  return page;
}

ColumnDescriptionList table_columns() {
  ColumnDescriptionList columns;
  ColumnDescription id = make_column_description("id", "int(4)", kTypeInt);
  id.column_id = id.physical_column_id = 1;
  id.has_position = 1;
  id.leaf_offset = 4;
  id.null_bit = 1;
  ColumnDescription name = make_column_description("name", "nvarchar(40)", kTypeNvarchar);
  name.column_id = name.physical_column_id = 2;
  name.has_position = 1;
  name.leaf_offset = -1;
  name.null_bit = 2;
  columns.push_back(id);
  columns.push_back(name);
  return columns;
}

class TableRowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    theApp.reset();
    file_writer_ = writer::small_database(0);
    file_writer_.set_page(kPageCount - 1, std::vector<std::uint8_t>(8192, 0));
    // Extent 6 = pages 48..55 (bit 6 of the first bitmap byte).
    file_writer_.set_page(kIamPage, iam_page(kIamPage, {{kSinglePage, 1}, {0, 1}, {43, 0}}, 0x40));
    file_writer_.set_page(kSinglePage, data_page(kSinglePage, kTableObject, {1, 2, 3}, kExtentPage));
    file_writer_.set_page(kExtentPage, data_page(kExtentPage, kTableObject, {4, 5}, kSinglePage));
    file_writer_.set_page(kIndexPage, writer::standard_page(kIndexPage, kTableObject, 2));
    file_writer_.set_page(kForeignPage, data_page(kForeignPage, 99999, {90}));
    PageWriter garbage = data_page(kGarbagePage, kTableObject, {});
    garbage.add_slot(8100);
    garbage.add_slot(4000);
    file_writer_.set_page(kGarbagePage, garbage);

    source_.name = "T";
    source_.object_id = 5000;
    source_.first_page = PageAddress{1, kSinglePage};
    source_.first_iam_page = PageAddress{1, kIamPage};
    source_.index_id = 0;
    source_.has_rowset_columns = true;
    source_.page_object_ids = {kTableObject};
    source_.object_pages = {PageAddress{1, kSinglePage}, PageAddress{1, kExtentPage}, PageAddress{1, kSinglePage},
                            PageAddress{1, kForeignPage}};
    source_.columns = table_columns();
  }

  // The ids of every row, in reading order.
  std::vector<std::string> read(TableReadSettings settings = standard()) {
    path_ = dir_.file("table.mdf");
    EXPECT_TRUE(file_writer_.write(path_));
    file_ = DatabaseFile::Open(path_, frame_);
    EXPECT_TRUE(file_ && file_->is_open());
    std::vector<std::string> ids;
    if (!file_ || !file_->is_open()) return ids;
    EveryRowConsumer consumer([&](const RowRecord& r) {
      ids.push_back(r.text(0));
      EXPECT_EQ(r.text(1), "row" + r.text(0));
      return true;
    });
    read_table_rows(*file_, source_, settings, pages_, consumer, &frame_);
    return ids;
  }

  static TableReadSettings standard() {
    TableReadSettings settings;
    settings.read.poll_abort = false;
    return settings;
  }
  static TableReadSettings advanced() {
    TableReadSettings settings = standard();
    settings.advanced = true;
    return settings;
  }

  writer::TempDir dir_;
  writer::DataFileWriter file_writer_;
  std::string path_;
  HeadlessFrame frame_;
  std::unique_ptr<DatabaseFile> file_;
  TableSource source_;
  TablePageList pages_;
};

using Ids = std::vector<std::string>;

TEST_F(TableRowsTest, HeapIsReadThroughItsAllocationChain) {
  EXPECT_EQ(read(), (Ids{"1", "2", "3", "4", "5"}));
  // Single-page slots holding page 0 or file 0 add nothing; the extent adds its 8 pages.
  ASSERT_EQ(pages_.pages.size(), 9u);
  EXPECT_EQ(pages_.pages[0], (PageAddress{1, kSinglePage}));
  EXPECT_EQ(pages_.pages[1], (PageAddress{1, kExtentPage}));
  EXPECT_EQ(pages_.window_starts.size(), 1u);
}

TEST_F(TableRowsTest, HeapWithoutRowsInItsAllocationChainFallsBackToThePageChain) {
  file_writer_.set_page(kIamPage, iam_page(kIamPage, {}, 0));
  EXPECT_EQ(read(), (Ids{"1", "2", "3", "4", "5"}));
  // The chain 41 -> 48 -> 41 loops back and is read once.
  EXPECT_EQ(pages_.pages, (std::vector<PageAddress>{{1, kSinglePage}, {1, kExtentPage}}));
}

TEST_F(TableRowsTest, DamagedAllocationPageStillLeavesThePageChain) {
  file_writer_.set_page(kIamPage, std::vector<std::uint8_t>(8192, 0xEE));
  EXPECT_EQ(read(), (Ids{"1", "2", "3", "4", "5"}));
}

TEST_F(TableRowsTest, TableWithoutFirstAllocationPageIsReadThroughItsObjectPageList) {
  source_.first_iam_page = PageAddress{1, 0};
  // Each page once, and not the page of another object.
  EXPECT_EQ(read(), (Ids{"1", "2", "3", "4", "5"}));
}

TEST_F(TableRowsTest, ClusteredTableWithInvalidAllocationPageShowsNothing) {
  source_.index_id = 1;
  source_.first_iam_page = PageAddress{1, static_cast<std::int32_t>(kPageCount + 10)};
  EXPECT_EQ(read(), Ids{});
}

TEST_F(TableRowsTest, ClusteredTableIsReadThroughItsAllocationChain) {
  source_.index_id = 1;
  EXPECT_EQ(read(), (Ids{"1", "2", "3", "4", "5"}));
}

TEST_F(TableRowsTest, StandardModeSkipsPagesOfOtherObjectsInsideTheTablesExtents) {
  // Page 51 lies in the table's extent but carries object 99999's rows.
  file_writer_.set_page(kForeignPage, data_page(kForeignPage, 99999, {91}));
  EXPECT_EQ(read(), (Ids{"1", "2", "3", "4", "5"}));
}

TEST_F(TableRowsTest, StandardModeSkipsAPageWhoseHeaderNamesAnotherPosition) {
  PageWriter stale = data_page(kExtentPage, kTableObject, {4, 5});
  stale.header().page_number = 300;
  file_writer_.set_page(kExtentPage, stale);
  EXPECT_EQ(read(), (Ids{"1", "2", "3"}));
}

TEST_F(TableRowsTest, AdvancedModeReadsTheObjectPageListOncePerPage) {
  source_.object_pages.push_back(PageAddress{1, kGarbagePage});
  EXPECT_EQ(read(advanced()), (Ids{"1", "2", "3", "4", "5", "90"}));
}

TEST_F(TableRowsTest, AdvancedModeSkipsPagesOfAnotherObjectsAllocationUnit) {
  // Page 51's header names allocation unit (index 0, object 99999) of another table.
  source_.other_allocation_units = {static_cast<std::int64_t>(99999) << 16};
  EXPECT_EQ(read(advanced()), (Ids{"1", "2", "3", "4", "5"}));
}

TEST_F(TableRowsTest, LegacyTableWithClusteredIndexFollowsItsPageChainThenTheOtherPages) {
  TableReadSettings settings = standard();
  settings.read.legacy_catalog = true;
  source_.page_object_ids.clear();  // a table whose pages carry other object ids still reads
  source_.legacy_index_first_page = PageAddress{1, kExtentPage};
  // The chain 48 -> 41 -> 48 ends where it started; page 51 of the object page list follows.
  source_.object_pages = {PageAddress{1, kSinglePage}, PageAddress{1, kForeignPage}};
  EXPECT_EQ(read(settings), (Ids{"4", "5", "1", "2", "3", "90"}));
  EXPECT_EQ(pages_.pages, (std::vector<PageAddress>{{1, kExtentPage}, {1, kSinglePage}, {1, kForeignPage}}));
}

TEST_F(TableRowsTest, LegacyHeapIsReadThroughTheObjectsAllocationPages) {
  TableReadSettings settings = standard();
  settings.read.legacy_catalog = true;
  source_.object_id = kTableObject;  // the IAM page is filed under it by the file scan
  EXPECT_EQ(read(settings), (Ids{"1", "2", "3", "4", "5"}));
}

TEST_F(TableRowsTest, ProgressEndsAtTheObjectPageListLength) {
  read();
  EXPECT_EQ(frame_.progress_high(), source_.object_pages.size());
  EXPECT_EQ(frame_.progress_position(), source_.object_pages.size());
}

TEST_F(TableRowsTest, PlaceholderModeIsOnOnlyWhileTheTableIsRead) {
  bool seen = false;
  path_ = dir_.file("table.mdf");
  ASSERT_TRUE(file_writer_.write(path_));
  file_ = DatabaseFile::Open(path_, frame_);
  EveryRowConsumer consumer([&](const RowRecord&) {
    seen = theApp.binary_placeholder_mode == 1;
    return false;  // stop after the first row
  });
  theApp.abort_flag = 1;
  TableReadSettings settings = standard();
  read_table_rows(*file_, source_, settings, pages_, consumer);
  EXPECT_TRUE(seen);
  EXPECT_EQ(theApp.binary_placeholder_mode, 0);
  EXPECT_EQ(theApp.abort_flag, 0);
}

}  // namespace
}  // namespace portalmend
