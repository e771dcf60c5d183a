#include "storage/iam_page.h"

#include <gtest/gtest.h>

#include <vector>

#include "storage/database_file.h"
#include "storage/headless_frame.h"
#include "support/data_file_writer.h"
#include "support/iam_writer.h"
#include "support/page_writer.h"
#include "support/temp_dir.h"

namespace portalmend {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(IamPage, BitmapFlagsFollowBitOrderAndExtentsStartAtTheInterval) {
  const struct {
    Bytes bitmap;
    std::int32_t iam_page;
    std::uint64_t extent_limit;
    std::vector<std::int32_t> firsts;
  } cases[] = {
      {{0x05}, 10, 100, {0, 16}},                  // bits 0 and 2
      {{0x00, 0x80}, 10, 100, {120}},               // bit 15
      {{0x01}, 600000, 200000, {511232}},           // second interval
      {{0x00, 0x10}, 10, 10, {}},                   // extent 12 lies beyond a 10-extent file
      {{0xFF}, 10, 3, {0, 8, 16}},
      {{}, 10, 100, {}},
  };
  for (const auto& c : cases) {
    const auto extents = ExtentList(DecodeExtentFlags(ByteReader(c.bitmap)), {1, c.iam_page}, c.extent_limit);
    std::vector<std::int32_t> firsts;
    for (const ExtentEntry& e : extents) {
      firsts.push_back(e.first.page_number);
      EXPECT_EQ(e.last_page, e.first.page_number + 7);
    }
    EXPECT_EQ(firsts, c.firsts) << c.iam_page;
  }
}

TEST(IamPage, LongBitmapIsCutAt63904Extents) {
  EXPECT_EQ(DecodeExtentFlags(ByteReader(Bytes(9000, 0xFF))).size(), kIamMaxExtents);
}

TEST(IamPage, ExtentsCarryTheIamPagesFileId) {
  const auto extents = ExtentList({1}, {3, 40}, 100);
  ASSERT_EQ(extents.size(), 1u);
  EXPECT_EQ(extents[0].first, (PageAddress{3, 0}));
  const auto pages = PagesOfExtent(extents[0]);
  ASSERT_EQ(pages.size(), 8u);
  EXPECT_EQ(pages.back(), (PageAddress{3, 7}));
  EXPECT_TRUE(PagesOfExtent({{1, 20}, 19}).empty());
}

TEST(IamPage, HeaderGivesStartPageAndSinglePages) {
  Bytes fixed(90, 0);
  auto put_pointer = [&fixed](std::size_t at, std::uint32_t page, std::uint16_t file) {
    for (int i = 0; i < 4; ++i) fixed[at + i] = static_cast<std::uint8_t>(page >> (8 * i));
    fixed[at + 4] = static_cast<std::uint8_t>(file);
    fixed[at + 5] = static_cast<std::uint8_t>(file >> 8);
  };
  put_pointer(36, 0, 1);
  put_pointer(42, 119, 1);
  put_pointer(48, 300, 2);
  const IamHeader header = DecodeIamHeader(ByteReader(fixed));
  EXPECT_EQ(header.start_page, (PageAddress{1, 0}));
  EXPECT_EQ(header.single_pages[0], (PageAddress{1, 119}));
  EXPECT_EQ(header.single_pages[1], (PageAddress{2, 300}));
  EXPECT_EQ(header.single_pages[7], (PageAddress{0, 0}));  // present and zero on disk
  // Fields cut off by a short record keep their initial values (file 1, page 0).
  const IamHeader cut = DecodeIamHeader(ByteReader(fixed.data(), 50));
  EXPECT_EQ(cut.single_pages[0], (PageAddress{1, 119}));
  EXPECT_EQ(cut.single_pages[1], (PageAddress{1, 0}));
}

}  // namespace
}  // namespace portalmend

namespace portalmend {
namespace {

class IamPageFile : public ::testing::Test {
 protected:
  std::unique_ptr<DatabaseFile> Open(writer::DataFileWriter& file) {
    EXPECT_TRUE(file.write(dir_.file("iam.mdf")));
    return DatabaseFile::Open(dir_.file("iam.mdf"), frame_);
  }
  writer::TempDir dir_;
  HeadlessFrame frame_;
};

TEST_F(IamPageFile, IamPageClassReadsHeaderAndBitmap) {
  writer::DataFileWriter file = writer::small_database(40);
  writer::IamPageContents contents;
  contents.position = 50;
  contents.object_id = 77;
  contents.single_pages = {{1, 44}, {1, 45}};
  contents.extents = {0, 2, 9};
  file.set_page(50, writer::IamPage(contents));
  auto db = Open(file);
  ASSERT_TRUE(db && db->is_open());
  auto iam = read_iam_page(*db, {1, 50});
  ASSERT_TRUE(iam);
  EXPECT_EQ(iam->start_page(), (PageAddress{1, 0}));
  EXPECT_EQ(iam->single_pages()[0], (PageAddress{1, 44}));
  EXPECT_EQ(iam->single_pages()[2], (PageAddress{0, 0}));
  EXPECT_EQ(iam->extent_flags().size(), 7988u * 8);
  // Extent 9 (pages 72-79) lies past the end of this 68-page file.
  std::vector<std::int32_t> firsts;
  for (const ExtentEntry& e : iam->extent_list()) firsts.push_back(e.first.page_number);
  EXPECT_EQ(firsts, (std::vector<std::int32_t>{0, 16}));
  EXPECT_FALSE(read_iam_page(*db, {1, 100000}));
}

TEST_F(IamPageFile, PageWithoutBitmapRecordHasNoExtents) {
  writer::DataFileWriter file = writer::small_database(40);
  writer::PageWriter page = writer::standard_page(50, 77, 10);
  page.add_record(std::vector<std::uint8_t>{0, 0, 8, 0, 1, 2, 3, 4});
  file.set_page(50, page);
  auto db = Open(file);
  ASSERT_TRUE(db && db->is_open());
  auto iam = read_iam_page(*db, {1, 50});
  ASSERT_TRUE(iam);
  EXPECT_TRUE(iam->extent_flags().empty());
  EXPECT_TRUE(iam->extent_list().empty());
  EXPECT_EQ(iam->single_pages()[0], (PageAddress{1, 0}));
}

TEST_F(IamPageFile, ChainIsFollowedAndALoopEnds) {
  writer::DataFileWriter file = writer::small_database(40);
  writer::IamPageContents first;
  first.position = 50;
  first.object_id = 77;
  first.single_pages = {{1, 44}};
  first.next = {1, 51};
  writer::IamPageContents second = first;
  second.position = 51;
  second.single_pages = {{1, 46}};
  second.extents = {7};  // pages 56-63
  second.next = {1, 50};  // back to the first: a damaged chain
  file.set_page(50, writer::IamPage(first));
  file.set_page(51, writer::IamPage(second));
  auto db = Open(file);
  ASSERT_TRUE(db && db->is_open());
  std::vector<PageAddress> iam_pages;
  const auto pages = AllocationUnitPages(*db, {1, 50}, &iam_pages);
  EXPECT_EQ(iam_pages, (std::vector<PageAddress>{{1, 50}, {1, 51}}));
  ASSERT_EQ(pages.size(), 10u);
  EXPECT_EQ(pages[0], (PageAddress{1, 44}));
  EXPECT_EQ(pages[1], (PageAddress{1, 46}));
  EXPECT_EQ(pages[2], (PageAddress{1, 56}));
  EXPECT_EQ(pages[9], (PageAddress{1, 63}));
}

}  // namespace
}  // namespace portalmend
