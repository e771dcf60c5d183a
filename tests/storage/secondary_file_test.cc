#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "storage/app_settings.h"
#include "storage/database_file.h"
#include "storage/headless_frame.h"
#include "support/data_file_writer.h"
#include "support/page_writer.h"
#include "support/temp_dir.h"

namespace portalmend {
namespace {

using writer::DataFileWriter;
using writer::standard_page;
using writer::TempDir;

// A secondary file of 20 pages: file header page 0, pages of system table 34 at 8..9, a
// page of object 9 (not a catalog table) at 10, data pages of a user object at 11..15,
// an IAM page at 16. Headers carry header_file_id.
DataFileWriter secondary(std::int16_t header_file_id) {
  DataFileWriter file(20);
  file.set_page(0, standard_page(0, 99, 15, header_file_id));
  file.set_page(8, standard_page(8, 34, 1, header_file_id));
  file.set_page(9, standard_page(9, 34, 1, header_file_id));
  file.set_page(10, standard_page(10, 9, 1, header_file_id));
  for (std::uint32_t p = 11; p <= 15; ++p) file.set_page(p, standard_page(p, 2000000001, 1, header_file_id));
  file.set_page(16, standard_page(16, 2000000001, 10, header_file_id));
  return file;
}

class SecondaryFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    theApp.reset();
    ASSERT_TRUE(writer::small_database(4).write(dir_.file("content.mdf")));
  }
  std::unique_ptr<DatabaseFile> open_primary() {
    auto db = DatabaseFile::Open(dir_.file("content.mdf"), frame_);
    EXPECT_TRUE(db->is_open());
    return db;
  }

  TempDir dir_;
  HeadlessFrame frame_;
};

std::vector<PageRef> refs_of_file(const std::vector<PageRef>& refs, std::uint16_t file_id) {
  std::vector<PageRef> out;
  for (const PageRef& ref : refs) {
    if (ref.file_id == file_id) out.push_back(ref);
  }
  return out;
}

TEST_F(SecondaryFileTest, ListedFilesAreFoundBesideThePrimaryAndFiledUnderTheListedId) {
  // The headers say file 9; the catalog lists the file as id 3.
  ASSERT_TRUE(secondary(9).write(dir_.file("Content_Data2.NDF")));
  auto db = open_primary();
  const auto registered = db->register_listed_files({
      {1, "content", "D:\\Data\\content.mdf"},
      {3, "content_2", "D:\\Data\\Content_Data2.ndf"},  // found whatever the case of its name
      {4, "gone", "D:\\Data\\gone.ndf"},
      {3, "again", "D:\\Data\\Content_Data2.ndf"},  // an id already known is skipped
  });
  ASSERT_EQ(registered.size(), 1u);
  const SecondaryFile& file = registered[0];
  EXPECT_EQ(file.file_id, 3);
  EXPECT_EQ(file.logical_name, "content_2");
  EXPECT_EQ(file.path, dir_.file("Content_Data2.NDF"));
  EXPECT_EQ(file.file_size, 20u * 8192);
  EXPECT_EQ(file.page_count, 20u);
  EXPECT_EQ(file.leading_offset, 0);
  EXPECT_EQ(db->secondary_files().size(), 1u);

  // Catalog tables reach the system page map; other small ids and IAM pages do not.
  EXPECT_EQ(refs_of_file(db->system_pages(34), 3), (std::vector<PageRef>{{3, 8, 1}, {3, 9, 1}}));
  EXPECT_TRUE(refs_of_file(db->system_pages(9), 3).empty());
  EXPECT_TRUE(refs_of_file(db->system_pages(99), 3).empty());
  EXPECT_EQ(db->data_pages(2000000001).size(), 5u);
  EXPECT_EQ(db->data_pages(2000000001)[0], PageRef(3, 11, 1));
  EXPECT_TRUE(db->iam_pages(2000000001).empty());
  // Pages of the primary file stay first in each list.
  EXPECT_EQ(db->system_pages(34).front().file_id, 1);

  const auto header = db->read_page_header({3, 8});
  ASSERT_TRUE(header.has_value());
  EXPECT_EQ(header->object_id(), 34);
  EXPECT_EQ(header->file_id(), 9);
  EXPECT_TRUE(db->read_raw_page({3, 20}).has_value());
  EXPECT_FALSE(db->read_raw_page({3, 21}).has_value());
  EXPECT_FALSE(db->read_raw_page({3, 0}).has_value());
  EXPECT_FALSE(db->read_raw_page({4, 1}).has_value());
}

TEST_F(SecondaryFileTest, FilesInTheFolderLearnTheirIdFromTheirOwnPages) {
  ASSERT_TRUE(secondary(5).write(dir_.file("a.ndf")));
  DataFileWriter shifted = secondary(7);
  shifted.set_leading_bytes(std::vector<std::uint8_t>(300, 0x11));
  ASSERT_TRUE(shifted.write(dir_.file("b.ndf")));
  // No page of this file carries its own position: it is not registered.
  DataFileWriter stale(12);
  for (std::uint32_t p = 0; p < 12; ++p) stale.set_page(p, standard_page(p + 1000, 34, 1, 6));
  ASSERT_TRUE(stale.write(dir_.file("c.ndf")));
  // Same id as a.ndf: not registered a second time.
  ASSERT_TRUE(secondary(5).write(dir_.file("d.ndf")));
  ASSERT_TRUE(secondary(8).write(dir_.file("e.txt")));

  auto db = open_primary();
  const std::size_t system34_before = db->system_pages(34).size();
  const auto registered = db->register_folder_files();
  ASSERT_EQ(registered.size(), 2u);
  EXPECT_EQ(registered[0].file_id, 5);
  EXPECT_EQ(registered[0].path, dir_.file("a.ndf"));
  EXPECT_EQ(registered[1].file_id, 7);
  EXPECT_EQ(registered[1].leading_offset, 300);
  EXPECT_TRUE(registered[1].logical_name.empty());
  EXPECT_EQ(db->secondary_files().size(), 2u);
  EXPECT_EQ(db->system_pages(34).size(), system34_before + 4);
  EXPECT_TRUE(refs_of_file(db->system_pages(34), 6).empty());

  const auto header = db->read_page_header({7, 9});
  ASSERT_TRUE(header.has_value());
  EXPECT_EQ(header->page_number(), 9);
  EXPECT_EQ(header->file_id(), 7);
  // Each file is aligned and scanned with the usual texts.
  EXPECT_EQ(frame_.messages(UM_PROGRESS_RANGE).back().lparam, 20);
  EXPECT_EQ(frame_.status_texts().back(), DatabaseFile::kMappingDoneText);
}

TEST_F(SecondaryFileTest, AFolderWithoutSecondaryFilesRegistersNothing) {
  auto db = open_primary();
  EXPECT_TRUE(db->register_folder_files().empty());
  EXPECT_TRUE(db->register_listed_files({}).empty());
  EXPECT_TRUE(db->secondary_files().empty());
}

TEST_F(SecondaryFileTest, ASecondaryFileRemovedAfterRegistrationMakesOnlyItsPagesUnreadable) {
  ASSERT_TRUE(secondary(5).write(dir_.file("a.ndf")));
  auto db = open_primary();
  ASSERT_EQ(db->register_folder_files().size(), 1u);
  ASSERT_TRUE(db->read_raw_page({5, 8}).has_value());
  std::filesystem::remove(dir_.file("a.ndf"));
  EXPECT_FALSE(db->read_raw_page({5, 8}).has_value());
  EXPECT_TRUE(db->read_raw_page({1, 9}).has_value());
}

}  // namespace
}  // namespace portalmend
