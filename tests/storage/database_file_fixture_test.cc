// Real SQL Server data files from the shared fixture folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "storage/app_settings.h"
#include "storage/byte_reader.h"
#include "storage/database_file.h"
#include "storage/headless_frame.h"

namespace portalmend {
namespace {

const std::string kFixtureFolder = std::string(PORTALMEND_FIXTURES) + "/mdf";

struct FixtureRow {
  std::string file;
  std::string create_version;
};

// The rows of manifest.tsv (file name and create version).
std::vector<FixtureRow> manifest() {
  std::vector<FixtureRow> rows;
  std::ifstream in(std::string(PORTALMEND_FIXTURES) + "/manifest.tsv");
  std::string line;
  std::getline(in, line);  // column names
  while (std::getline(in, line)) {
    std::vector<std::string> fields;
    std::stringstream cells(line);
    std::string cell;
    while (std::getline(cells, cell, '\t')) fields.push_back(cell);
    if (fields.size() >= 5) rows.push_back({fields[0], fields[4]});
  }
  return rows;
}

bool is_primary(const std::string& name) {
  std::string ext = std::filesystem::path(name).extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".mdf";
}

class FixtureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::is_directory(kFixtureFolder)) GTEST_SKIP() << "no fixture folder " << kFixtureFolder;
    theApp.reset();
  }
};

TEST_F(FixtureTest, EveryPrimaryFileOpensWithItsBootPageAndSystemTables) {
  int opened = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kFixtureFolder)) {
    const std::string name = entry.path().filename().string();
    if (!entry.is_regular_file() || !is_primary(name)) continue;
    HeadlessFrame frame;
    auto db = DatabaseFile::Open(entry.path().string(), frame);
    ASSERT_TRUE(db->is_open()) << name;
    EXPECT_EQ(db->leading_offset(), 0u) << name;
    EXPECT_EQ(db->page_count() * kPageSize, db->file_size()) << name;
    const auto boot = db->read_page_header({1, 9});
    ASSERT_TRUE(boot.has_value()) << name;
    EXPECT_EQ(boot->page_type(), 13) << name;
    for (std::int32_t id : {7, 34, 41}) EXPECT_FALSE(db->system_pages(id).empty()) << name << " object " << id;
    ++opened;
  }
  EXPECT_GT(opened, 40);
}

TEST_F(FixtureTest, TornBitsAreRestoredOnNorthwindFilesCreatedByVersion539) {
  int checked = 0;
  for (const FixtureRow& row : manifest()) {
    std::string upper = row.file;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (row.create_version != "539" || upper.find("NORTHWND") == std::string::npos) continue;
    HeadlessFrame frame;
    auto db = DatabaseFile::Open(kFixtureFolder + "/" + row.file, frame);
    ASSERT_TRUE(db->is_open()) << row.file;
    const auto raw = db->read_raw_page({1, 9});
    ASSERT_TRUE(raw.has_value());
    // On disk the high byte of slot 0 carries the torn-page signature instead.
    EXPECT_NE(ByteReader(*raw).u16_or(8190), 96) << row.file << " (as on disk)";
    const auto header = db->read_header_with_buffer({1, 9});
    ASSERT_TRUE(header.has_value()) << row.file;
    EXPECT_TRUE(header->has_torn_bits()) << row.file;
    EXPECT_EQ(ByteReader(db->last_page_buffer()).u16_or(8190), 96) << row.file;
    ++checked;
  }
  EXPECT_GE(checked, 5);
}

TEST_F(FixtureTest, SecondaryFilesInTheFolderRegisterUnderTheirOwnIds) {
  HeadlessFrame frame;
  auto db = DatabaseFile::Open(kFixtureFolder + "/itsligo__sampledbs__pubs.mdf", frame);
  ASSERT_TRUE(db->is_open());
  const auto registered = db->register_folder_files();
  ASSERT_EQ(registered.size(), 2u);
  EXPECT_EQ(registered[0].file_id, 5);
  EXPECT_EQ(registered[1].file_id, 7);
  for (const SecondaryFile& file : registered) {
    EXPECT_EQ(file.page_count, 256u);
    EXPECT_EQ(file.leading_offset, 0);
    const auto header = db->read_page_header({static_cast<std::uint16_t>(file.file_id), 1});
    ASSERT_TRUE(header.has_value());
    EXPECT_EQ(header->file_id(), file.file_id);
    EXPECT_EQ(header->page_type(), 11);
  }
  EXPECT_EQ(db->secondary_files().size(), 2u);
}

TEST_F(FixtureTest, ListedSecondaryFilesRegisterUnderTheListedIds) {
  HeadlessFrame frame;
  auto db = DatabaseFile::Open(kFixtureFolder + "/itsligo__sampledbs__pubs.mdf", frame);
  ASSERT_TRUE(db->is_open());
  const auto registered = db->register_listed_files({
      {1, "pubs", "C:\\DBS\\PUBS.MDF"},
      {5, "LR4_g1", "D:\\SQL\\DATA\\infstka__DB-2c4s__LR4__LR4__g1_2.ndf"},
      {7, "LR4_g2", "D:\\SQL\\DATA\\infstka__DB-2c4s__LR4__LR4_g2_2.ndf"},
      {9, "missing", "D:\\SQL\\DATA\\not_there.ndf"},
  });
  ASSERT_EQ(registered.size(), 2u);
  EXPECT_EQ(registered[0].logical_name, "LR4_g1");
  EXPECT_EQ(db->read_page_header({5, 7})->page_type(), 17);
  EXPECT_EQ(db->read_page_header({7, 6})->file_id(), 7);
  EXPECT_FALSE(db->read_page_header({9, 1}).has_value());
}

}  // namespace
}  // namespace portalmend
