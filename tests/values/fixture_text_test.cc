// Text values taken from the pages of real files: accented names stored by SQL Server must
// come out as the install script wrote them.

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <set>
#include <string>

#include "storage/database_file.h"
#include "storage/headless_frame.h"
#include "storage/page.h"
#include "values/code_page.h"

namespace portalmend {
namespace {

std::string fixture_path(const std::string& file) { return std::string(PORTALMEND_FIXTURES) + "/mdf/" + file; }

bool fixtures_available() { return std::ifstream(std::string(PORTALMEND_FIXTURES) + "/manifest.tsv").good(); }

// The Customers rows of the itsligo Northwind copy live on page 195; City is the fifth
// variable column (CompanyName, ContactName, ContactTitle, Address, City, ...), nvarchar.
TEST(FixtureTextValues, NorthwindCustomerCitiesDecodeFromUtf16) {
  if (!fixtures_available()) GTEST_SKIP() << "no fixtures folder";
  HeadlessFrame frame;
  std::unique_ptr<DatabaseFile> file = DatabaseFile::Open(fixture_path("itsligo__sampledbs__northwnd.mdf"), frame);
  ASSERT_TRUE(file && file->is_open());
  std::unique_ptr<CDataPage> page = read_data_page(*file, PageAddress{1, 195});
  ASSERT_TRUE(page);
  std::set<std::string> cities;
  for (const auto& record : page->records()) {
    if (!record || record->variable_values().size() < 5) continue;
    const VariableValue& city = record->variable_values()[4];
    if (city.bytes) cities.insert(utf16_text(ByteReader(*city.bytes)));
  }
  for (const char* expected : {"México D.F.", "Bräcke", "Berlin"}) {
    EXPECT_TRUE(cities.count(expected)) << expected;
  }
}

}  // namespace
}  // namespace portalmend
