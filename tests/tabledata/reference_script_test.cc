// The reader of install scripts that the fixture comparisons rely on: statements, literals and
// the keys that make a script literal and a shown value comparable.

#include "tabledata/reference_script.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace portalmend::testing {
namespace {

TEST(ReferenceScript, ReadsEveryStatementForm) {
  const char* script =
      "-- insert comment(1) values(2)\n"
      "INSERT \"Order Details\" VALUES(10248,11,$14,12,0)\n"
      "insert titles (title_id, title) values('PC9999', 'Net Etiquette')\n"
      "Insert Into Territories Values ('01581','Westboro',1)\n"
      "INSERT [SalesLT].[Product] ([ProductID], [Weight], [Date]) VALUES (680, CAST(1016.04 AS Decimal(8, 2)),"
      " CAST(0x000096A300000000 AS DateTime))\n"
      "insert authors values('x', N'O''Leary', NULL, -5, 0xab01)\n"
      "create trigger t on x FOR insert, UPDATE as select 1\n";
  std::vector<ScriptRow> rows = parse_script(script);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0].table, "Order Details");
  EXPECT_TRUE(rows[0].columns.empty());
  EXPECT_EQ(rows[0].values[2].text, "14");
  EXPECT_EQ(rows[1].table, "titles");
  EXPECT_EQ(rows[1].columns, (std::vector<std::string>{"title_id", "title"}));
  EXPECT_EQ(rows[2].table, "Territories");
  EXPECT_EQ(rows[3].table, "Product");
  EXPECT_EQ(rows[3].values[1].cast_type, "decimal");
  EXPECT_EQ(rows[3].values[2].kind, ScriptLiteral::kHex);
  EXPECT_EQ(rows[4].values[1].text, "O'Leary");
  EXPECT_EQ(rows[4].values[2].kind, ScriptLiteral::kNull);
  EXPECT_EQ(rows[4].values[3].text, "-5");
  EXPECT_EQ(rows[4].values[4].text, "0xAB01");
}

TEST(ReferenceScript, KeysMatchShownValuesOfEachType) {
  struct Case {
    std::uint32_t code;
    ScriptLiteral literal;
    std::string shown;
  };
  const Case cases[] = {
      {9, {ScriptLiteral::kNumber, "42", ""}, "42"},
      {21, {ScriptLiteral::kNumber, "14", ""}, "14.0000"},
      {21, {ScriptLiteral::kNumber, "19.99", ""}, "19.9900"},
      {2, {ScriptLiteral::kNumber, "0", ""}, "False"},
      {2, {ScriptLiteral::kNumber, "1", ""}, "True"},
      {28, {ScriptLiteral::kNumber, "0.15", ""}, "0.15"},
      {28, {ScriptLiteral::kNumber, "0", ""}, "0"},
      {24, {ScriptLiteral::kNumber, "1016.04", "decimal"}, "1016.04"},
      {4, {ScriptLiteral::kText, "12/08/1948", ""}, "1948-12-08 00:00:00"},
      {4, {ScriptLiteral::kText, "06/12/94", ""}, "1994-06-12 00:00:00"},
      {4, {ScriptLiteral::kHex, "0x000096A300000000", "datetime"}, "2005-08-01 00:00:00"},
      {4, {ScriptLiteral::kText, "1996-07-04", ""}, "1996-07-04 00:00:00"},
      {15, {ScriptLiteral::kText, "3f5ae95e-b87d-4aed-95b4-c3797afcb74f", ""}, "3F5AE95E-B87D-4AED-95B4-C3797AFCB74F"},
      {10, {ScriptLiteral::kText, "AB", ""}, "AB   "},
      {25, {ScriptLiteral::kHex, "0x151C", ""}, "0x151C"},
      {11, {ScriptLiteral::kNull, "", ""}, "NULL"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(value_key(c.code, c.shown), value_key(c.code, "", &c.literal)) << c.shown;
  }
  ScriptLiteral other{ScriptLiteral::kNumber, "18", ""};
  EXPECT_NE(value_key(21, "18.5000"), value_key(21, "", &other));
}

TEST(ReferenceScript, ReadsTheSampleScripts) {
  const std::filesystem::path folder = std::filesystem::path(PORTALMEND_FIXTURES) / "reference";
  if (!std::filesystem::exists(folder)) GTEST_SKIP() << "no fixture folder";
  struct Case {
    const char* file;
    const char* charset;
    std::map<std::string, std::size_t> counts;
  };
  const Case cases[] = {
      {"northwind_instnwnd.sql", "CP1252",
       {{"Categories", 8}, {"Customers", 91}, {"Employees", 9}, {"Order Details", 2155}, {"Orders", 830},
        {"Products", 77}, {"Shippers", 3}, {"Suppliers", 29}, {"Territories", 53}, {"Region", 4},
        {"EmployeeTerritories", 49}}},
      {"pubs_instpubs.sql", "CP1252",
       {{"authors", 23}, {"publishers", 8}, {"titles", 18}, {"sales", 21}, {"employee", 43}, {"jobs", 14},
        {"pub_info", 8}, {"roysched", 86}, {"stores", 6}, {"titleauthor", 25}, {"discounts", 3}}},
      {"AdventureWorksLT2008R2_generated.sql", "CP1252",
       {{"Customer", 847}, {"Product", 295}, {"SalesOrderDetail", 542}, {"Address", 450}}},
  };
  for (const Case& c : cases) {
    std::map<std::string, std::size_t> counts;
    for (const ScriptRow& row : parse_script(read_script((folder / c.file).string(), c.charset))) {
      ++counts[row.table];
    }
    for (const auto& [table, count] : c.counts) EXPECT_EQ(counts[table], count) << c.file << " " << table;
  }
  // The pubs script holds byte 0x81 (undefined in Windows-1252) where it means ü.
  const std::string pubs = read_script((folder / "pubs_instpubs.sql").string());
  EXPECT_NE(pubs.find("M\xEF\xBF\xBDnchen"), std::string::npos);
}

}  // namespace
}  // namespace portalmend::testing
