// The boot pages and catalog pages of real SQL Server files.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "storage/boot_page.h"
#include "storage/database_file.h"
#include "storage/headless_frame.h"
#include "storage/page.h"
#include "values/collation_table.h"

namespace portalmend {
namespace {

namespace fs = std::filesystem;

const fs::path kFixtures = PORTALMEND_FIXTURES;

struct ManifestLine {
  std::string file;
  std::string version;
  std::string sql_server;
  std::string db_name;
};

// The primary files of the manifest (secondary files have no boot page).
std::vector<ManifestLine> manifest_primary_files() {
  std::vector<ManifestLine> lines;
  std::ifstream in(kFixtures / "manifest.tsv");
  std::string line;
  std::getline(in, line);  // column titles
  while (std::getline(in, line)) {
    std::vector<std::string> fields;
    std::stringstream stream(line);
    std::string field;
    while (std::getline(stream, field, '\t')) fields.push_back(field);
    if (fields.size() < 7 || fields[3].empty()) continue;
    lines.push_back({fields[0], fields[3], fields[5], fields[6]});
  }
  return lines;
}

// The text the manifest's release implies: " SQL Server <release>", for the releases the
// version table names; pre-release builds outside the table are unknown.
std::string expected_version_text(const ManifestLine& line) {
  if (line.sql_server.find("pre-release") != std::string::npos) return kUnknownVersionText;
  std::string release = line.sql_server.substr(0, line.sql_server.find(" ("));
  return " SQL Server " + release;
}

// The manifest's name cut before its first blank, unless it begins with one.
std::string expected_name(const std::string& name) {
  const std::size_t blank = name.find(' ');
  if (blank == std::string::npos || blank == 0) return name;
  return name.substr(0, blank);
}

class FixtureFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::is_directory(kFixtures / "mdf")) GTEST_SKIP() << "no fixture folder " << kFixtures;
  }
};

TEST_F(FixtureFiles, EveryPrimaryFileNamesItsVersionDatabaseAndCollation) {
  CollationTable collations;
  ASSERT_TRUE(collations.load_beside_executable()) << "collation.txt beside the test program";
  const std::vector<ManifestLine> lines = manifest_primary_files();
  ASSERT_GT(lines.size(), 40u);
  for (const ManifestLine& line : lines) {
    SCOPED_TRACE(line.file);
    HeadlessFrame frame;
    const std::unique_ptr<DatabaseFile> file = DatabaseFile::Open((kFixtures / "mdf" / line.file).string(), frame);
    ASSERT_TRUE(file->is_open());
    const std::optional<BootInfo> boot = read_boot_info(*file);
    ASSERT_TRUE(boot);
    EXPECT_EQ(boot->position, 9);
    EXPECT_EQ(std::to_string(boot->version), line.version);
    EXPECT_EQ(boot->version_text, expected_version_text(line));
    EXPECT_EQ(boot->database_name, expected_name(line.db_name));
    ChosenCollation chosen;
    EXPECT_TRUE(choose_collation(collations, boot->collation_id, true, 0, chosen)) << boot->collation_id;
    EXPECT_FALSE(chosen.name.empty());
  }
}

// sysschobjs (object id 34) rows of a SQL Server 2012 file: every row on a page has the same
// fixed part and column count as its neighbours, and its pieces lie inside the record.
TEST_F(FixtureFiles, CatalogPagesOfA2012FileDecodeConsistently) {
  HeadlessFrame frame;
  const std::unique_ptr<DatabaseFile> file =
      DatabaseFile::Open((kFixtures / "mdf" / "asdeoz__MvcMusicStore__App_Data__MvcMusicStore.mdf").string(), frame);
  ASSERT_TRUE(file->is_open());
  ReadOptions options;
  int pages = 0;
  int rows = 0;
  for (const PageRef& ref : file->system_pages(34)) {
    if (ref.page_type != 1) continue;
    const std::unique_ptr<CDataPage> page = read_data_page(*file, ref.address(), options);
    ASSERT_TRUE(page);
    // Pages left over from earlier disk content carry another position in their header.
    if (page->header().page_number() != static_cast<std::int32_t>(ref.page_number)) continue;
    ++pages;
    std::map<std::pair<int, int>, int> shapes;
    for (const std::unique_ptr<CPrimaryRecord>& record : page->records()) {
      if (!record || record->rejected()) continue;
      ++rows;
      shapes[{record->fixed_length(), record->column_count()}]++;
      EXPECT_TRUE(record->record_bytes());
      EXPECT_GT(record->variable_count(), 0);
      ASSERT_TRUE(record->null_bitmap());
      EXPECT_EQ(record->null_bitmap()->size(), (record->column_count() + 7u) / 8u);
      ASSERT_FALSE(record->variable_values().empty());
      // The first variable column of sysschobjs is the object name, in UTF-16.
      const VariableValue& name = record->variable_values().front();
      ASSERT_TRUE(name.bytes);
      EXPECT_EQ(name.length % 2, 0);
    }
    EXPECT_EQ(shapes.size(), 1u) << "page " << ref.page_number;
  }
  EXPECT_GT(pages, 0);
  EXPECT_GT(rows, 50);
}

}  // namespace
}  // namespace portalmend
