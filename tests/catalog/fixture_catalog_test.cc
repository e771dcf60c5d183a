// Catalogs of the real SQL Server files: the user tables each file is known to hold, and
// the single pass over every system table.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "catalog/system_table_reader.h"
#include "fixture_catalog.h"

namespace portalmend {
namespace {

struct KnownTables {
  std::size_t count = 0;
  std::vector<std::string> names;  // the first few, as the manifest lists them
};

// "N user tables: A, B, C ..." or "no user tables" from each file's row of MANIFEST.md.
std::map<std::string, KnownTables> manifest_user_tables() {
  std::map<std::string, KnownTables> known;
  std::istringstream lines(fixtures::read_text(fixtures::folder() + "/MANIFEST.md"));
  const std::regex row(R"(^\| \d+ \| `([^`]+)` \|)");
  const std::regex tables(R"((\d+) user tables: ([^;|]*))");
  std::string line;
  while (std::getline(lines, line)) {
    std::smatch file_match;
    if (!std::regex_search(line, file_match, row)) continue;
    KnownTables entry;
    std::smatch table_match;
    if (std::regex_search(line, table_match, tables)) {
      entry.count = std::stoul(table_match[1]);
      std::string list = table_match[2];
      if (list.ends_with(" ...")) list.erase(list.size() - 4);
      std::istringstream names(list);
      std::string name;
      while (std::getline(names, name, ',')) {
        name.erase(0, name.find_first_not_of(' '));
        name.erase(name.find_last_not_of(' ') + 1);
        // The manifest's quick scan read one page without putting its torn-page bits back.
        if (name == "CustomerDemo\xC5\xA7raphics") name = "CustomerDemographics";
        if (!name.empty()) entry.names.push_back(name);
      }
    } else if (line.find("no user tables") == std::string::npos) {
      continue;
    }
    known[file_match[1]] = entry;
  }
  return known;
}

class FixtureCatalogs : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fixtures::available()) GTEST_SKIP() << "no fixtures folder at " << fixtures::folder();
    theApp.reset();
  }
  void TearDown() override { theApp.reset(); }
};

TEST_F(FixtureCatalogs, EveryListedUserTableIsFoundAsAUserTable) {
  const std::map<std::string, KnownTables> known = manifest_user_tables();
  const std::vector<std::string> files = fixtures::primary_files();
  ASSERT_FALSE(files.empty());
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    auto expected = known.find(file);
    ASSERT_NE(expected, known.end()) << "the manifest has no row for the file";
    std::unique_ptr<fixtures::OpenedCatalog> opened = fixtures::open(fixtures::mdf_path(file));
    ASSERT_TRUE(opened);
    const Catalog& catalog = *opened->catalog;
    EXPECT_FALSE(catalog.legacy());
    EXPECT_EQ(theApp.legacy_catalog_flag.load(), 0);
    std::size_t user_tables = 0;
    for (const ObjectEntry& object : catalog.lists().objects) user_tables += object.type == "U " ? 1 : 0;
    // The manifest's counts come from a quick scan that can miss a table on a torn page
    // (the anhnbt pubs file holds 14 user tables where it counted 13).
    EXPECT_GE(user_tables, expected->second.count);
    for (const std::string& name : expected->second.names) {
      const ObjectEntry found = catalog.FindObject(name, "U ");
      EXPECT_EQ(found.type, "U ") << name;
    }
  }
}

TEST_F(FixtureCatalogs, EachSystemTableIsReadInOnePass) {
  // The largest primary file of the folder.
  std::string largest;
  std::uintmax_t largest_size = 0;
  for (const std::string& file : fixtures::primary_files()) {
    const std::uintmax_t size = std::filesystem::file_size(fixtures::mdf_path(file));
    if (size > largest_size) {
      largest = file;
      largest_size = size;
    }
  }
  SCOPED_TRACE(largest);
  std::unique_ptr<fixtures::OpenedCatalog> opened = fixtures::open(fixtures::mdf_path(largest));
  ASSERT_TRUE(opened);
  const std::map<std::int32_t, std::size_t>& reads = opened->catalog->system_page_reads();
  const std::int32_t modern_tables[] = {8, 34, 7, 5, 41, 50, 3, 74, 54, 55, 13, 4};
  std::size_t expected_total = 0;
  for (std::int32_t table : modern_tables) {
    SCOPED_TRACE(table);
    std::size_t pages = 0;
    for (const PageRef& ref : opened->file->system_pages(table)) {
      if (table != systable::kSysSingleObjRefs || ref.page_type == 1) ++pages;
    }
    // sysrscols and syscolumns share object id 3; only the modern one is read here.
    auto it = reads.find(table);
    ASSERT_NE(it, reads.end());
    EXPECT_EQ(it->second, pages);
    expected_total += pages;
  }
  std::size_t total = 0;
  for (const auto& [table, count] : reads) total += count;
  EXPECT_EQ(total, expected_total);
  EXPECT_GT(total, 0u);
}

}  // namespace
}  // namespace portalmend

namespace portalmend {
namespace {

// Building the catalog reads the boot page; its collation must reach the settings, since
// every 8-bit value shown later is converted through its code page.
TEST(FixtureCatalogCollation, BuildHandsTheBootPageCollationToTheSettings) {
  if (!fixtures::available()) GTEST_SKIP() << "no fixtures folder at " << fixtures::folder();
  theApp.reset();
  ASSERT_TRUE(theApp.collation_table.load_beside_executable()) << "collation.txt beside the test program";
  std::unique_ptr<fixtures::OpenedCatalog> opened =
      fixtures::open(fixtures::mdf_path("itsligo__sampledbs__northwnd.mdf"));
  ASSERT_TRUE(opened);
  EXPECT_TRUE(theApp.chosen_collation.known);
  EXPECT_FALSE(theApp.chosen_collation.name.empty());
  EXPECT_EQ(theApp.chosen_collation.code_page, 1252);
  theApp.reset();
}

}  // namespace
}  // namespace portalmend
