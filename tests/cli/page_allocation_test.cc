// What page shows of IAM pages, text pages and compressed pages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/compressed_writer.h"
#include "support/data_file_writer.h"
#include "support/iam_writer.h"
#include "support/lob_writer.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"

namespace portalmend {
namespace {

writer::CommandResult cli(const std::vector<std::string>& args) { return writer::run_program(PORTALMEND_CLI, args); }

class PageAllocationCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    writer::DataFileWriter file = writer::small_database(8);
    writer::IamPageContents iam;
    iam.position = 40;
    iam.object_id = 77;
    iam.single_pages = {{1, 41}, {1, 42}};
    iam.extents = {4};
    file.set_page(40, writer::IamPage(iam));

    file.set_page(41, writer::TextPage(41, {writer::LargeRootRecord(5, {{3, {1, 42, 0}}, {6, {1, 42, 1}}})}));
    file.set_page(42, writer::TextPage(42, {writer::DataRecord(5, {'a', 'b', 'c'}), writer::SmallRootRecord(6, {'x', 'y'})}));

    const auto anchor = writer::CompressedRecord({writer::CompressedText("abc"), writer::CompressedValue{0, {}, false}});
    const std::vector<std::vector<std::uint8_t>> dictionary = {{'d', 'i', 'c', 't'}};
    const auto block = writer::CompressionInfoBlock(&anchor, &dictionary);
    file.set_page(44, writer::CompressedPage(44, 77, block,
                                             {writer::CompressedRecord({writer::CompressedBytes({2, 'z'}),
                                                                        writer::CompressedValue{12, {0}, false}})}));
    ASSERT_TRUE(file.write(dir_.file("alloc.mdf")));
  }
  std::string path() const { return dir_.file("alloc.mdf"); }
  writer::TempDir dir_;
};

TEST_F(PageAllocationCommand, IamPageShowsStartSinglePagesAndExtents) {
  const auto result = cli({"page", path(), "40"});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_NE(result.out.find("IAM start page: 1:0\n"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("IAM single pages: 1:41 1:42 0:0 0:0 0:0 0:0 0:0 0:0\n"), std::string::npos);
  EXPECT_NE(result.out.find("IAM extents: 1\n  extent 1:32-39\n"), std::string::npos);
}

TEST_F(PageAllocationCommand, TextPagesShowBlobIdsStructureTypesAndLinks) {
  const auto root = cli({"page", path(), "41"});
  ASSERT_EQ(root.exit_code, 0) << root.err;
  EXPECT_NE(root.out.find("slot 0: blob id 5, LARGE_ROOT_YUKON (type 5), 2 links\n"), std::string::npos) << root.out;
  EXPECT_NE(root.out.find("-> 1:42 slot 1 (end 6)"), std::string::npos);
  const auto leaves = cli({"page", path(), "42"});
  EXPECT_NE(leaves.out.find("slot 0: blob id 5, DATA (type 3), 3 data bytes: 616263\n"), std::string::npos)
      << leaves.out;
  EXPECT_NE(leaves.out.find("slot 1: blob id 6, SMALL_ROOT (type 0), 2 data bytes: 7879\n"), std::string::npos);
}

TEST_F(PageAllocationCommand, CompressedPageShowsAnchorValuesAndDictionary) {
  const auto result = cli({"page", path(), "44"});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_NE(result.out.find("anchor values: 2\n  column 0: 3 bytes 616263\n  column 1: NULL\n"), std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("dictionary entries: 1\n  entry 0: 4 bytes 64696374\n"), std::string::npos);
}

}  // namespace
}  // namespace portalmend
