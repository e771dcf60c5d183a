// portalmend-cli rows: output formats, options, and the errors it reports.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_cli.h"

namespace portalmend {
namespace {

using writer::CommandResult;
using writer::run_program;

const std::filesystem::path kNorthwind =
    std::filesystem::path(PORTALMEND_FIXTURES) / "mdf" / "itsligo__sampledbs__northwnd.mdf";

CommandResult rows(std::vector<std::string> args) {
  args.insert(args.begin(), "rows");
  return run_program(PORTALMEND_CLI, args);
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) result.push_back(line);
  return result;
}

TEST(RowsCommand, UsageErrorsExitWithTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"only-a-file.mdf"},
      {"a.mdf", "T", "--format", "xml"},
      {"a.mdf", "T", "--mode", "fast"},
      {"a.mdf", "T", "--type", "V"},
      {"a.mdf", "T", "--limit", "-3"},
      {"a.mdf", "T", "--limit"},
      {"a.mdf", "T", "--frobnicate"},
  };
  for (const auto& args : cases) {
    CommandResult result = rows(args);
    EXPECT_EQ(result.exit_code, 2) << (args.empty() ? "" : args.back());
    EXPECT_NE(result.err.find("usage: portalmend-cli rows FILE TABLE"), std::string::npos);
  }
}

TEST(RowsCommand, FileThatIsNotADataFileFails) {
  CommandResult result = rows({"/nonexistent/file.mdf", "T"});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_FALSE(result.err.empty());
  EXPECT_TRUE(result.out.empty());
}

class RowsOnNorthwind : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kNorthwind)) GTEST_SKIP() << "no fixture folder";
  }
};

TEST_F(RowsOnNorthwind, UnknownTableFailsWithAClearMessage) {
  CommandResult result = rows({kNorthwind.string(), "NoSuchTable"});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(result.err.find("has no user table named \"NoSuchTable\""), std::string::npos);
  // A system table is not found as a user table.
  EXPECT_EQ(rows({kNorthwind.string(), "sysrowsets"}).exit_code, 1);
}

TEST_F(RowsOnNorthwind, PrintsAHeaderAndOneLinePerRow) {
  CommandResult result = rows({kNorthwind.string(), "Shippers"});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(lines(result.out), (std::vector<std::string>{"ShipperID\tCompanyName\tPhone",
                                                         "1\tSpeedy Express\t(503) 555-9831",
                                                         "2\tUnited Package\t(503) 555-3199",
                                                         "3\tFederal Shipping\t(503) 555-9931"}));
  EXPECT_EQ(rows({kNorthwind.string(), "Shippers", "--mode", "advanced"}).out, result.out);
}

TEST_F(RowsOnNorthwind, FormatsEscapeTheirSeparators) {
  CommandResult tsv = rows({kNorthwind.string(), "Employees", "--limit", "1"});
  ASSERT_EQ(lines(tsv.out).size(), 2u);
  EXPECT_NE(tsv.out.find("\t507 - 20th Ave. E.\\r\\nApt. 2A\t"), std::string::npos);
  CommandResult csv = rows({kNorthwind.string(), "Suppliers", "--format", "csv"});
  EXPECT_EQ(csv.exit_code, 0);
  EXPECT_NE(csv.out.find("\r\n24,\"G'day, Mate\",Wendy Mackenzie,"), std::string::npos);
}

TEST_F(RowsOnNorthwind, LargeValuesArePlaceholdersUnlessFull) {
  CommandResult shown = rows({kNorthwind.string(), "Categories", "--limit", "1"});
  EXPECT_EQ(lines(shown.out).at(1), "1\tBeverages\t<BINARY DATA>\t<BINARY DATA>");
  CommandResult full = rows({kNorthwind.string(), "Categories", "--limit", "1", "--full"});
  const std::string line = lines(full.out).at(1);
  EXPECT_EQ(line.rfind("1\tBeverages\tSoft drinks, coffees, teas, beers, and ales\t0x151C2F00", 0), 0u);
}

TEST_F(RowsOnNorthwind, LimitStopsAfterThatManyRows) {
  EXPECT_EQ(lines(rows({kNorthwind.string(), "Order Details", "--limit", "5"}).out).size(), 6u);
  EXPECT_EQ(lines(rows({kNorthwind.string(), "Order Details", "--limit", "0"}).out).size(), 1u);
  EXPECT_EQ(lines(rows({kNorthwind.string(), "Order Details"}).out).size(), 2156u);
}

TEST_F(RowsOnNorthwind, DeletedRowOptionsAddEarlierVersionsOfRows) {
  // Category 1 was updated in place of a larger row; its first version still lies on the page.
  EXPECT_EQ(lines(rows({kNorthwind.string(), "Categories", "--deleted"}).out).size(), 9u);
  EXPECT_EQ(lines(rows({kNorthwind.string(), "Categories", "--advanced-deleted"}).out).size(), 10u);
}

}  // namespace
}  // namespace portalmend
