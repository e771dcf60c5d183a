#include "values/collation_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace portalmend {
namespace {

CollationTable table_from(const std::string& text) {
  CollationTable table;
  std::istringstream in(text);
  table.load_stream(in);
  return table;
}

TEST(CollationTable, ReadsNameIdAndCodePagePerLine) {
  const CollationTable table = table_from(
      "Latin1_General_CI_AS\t53256\t1252\n"
      "SQL_Latin1_General_CP1254_CS_AS\t-2130657254\t1254\r\n"
      "Japanese_CI_AS\t53264\t932\n");
  ASSERT_EQ(table.size(), 3u);
  ASSERT_NE(table.find(53256), nullptr);
  EXPECT_EQ(*table.find(53256), (CollationEntry{"Latin1_General_CI_AS", 1252}));
  ASSERT_NE(table.find(-2130657254), nullptr);
  EXPECT_EQ(*table.find(-2130657254), (CollationEntry{"SQL_Latin1_General_CP1254_CS_AS", 1254}));
  EXPECT_EQ(table.find(53264)->code_page, 932);
  EXPECT_EQ(table.find(1), nullptr);
  // Entries come in ascending id order, the negative id first.
  EXPECT_EQ(table.entries().begin()->first, -2130657254);
}

TEST(CollationTable, HandlesMalformedAndOddLinesAsTheFileFormatSays) {
  struct Case { const char* line; bool stored; std::int64_t id; const char* name; std::int32_t code_page; };
  const Case cases[] = {
      {"", false, 0, "", 0},
      {"\r", false, 0, "", 0},
      {"no tab at all", false, 0, "", 0},
      {"OnlyOneTab\t53256", false, 0, "", 0},
      {"NameThenTab\t", false, 0, "", 0},
      {"EmptyCodePage\t77\t", true, 77, "EmptyCodePage", 0},
      {"Negative\t-5\t1250", true, -5, "Negative", 1250},
      {"Blanks\t  +42\t 936", true, 42, "Blanks", 936},
      {"TrailingText\t12abc\t1251xyz", true, 12, "TrailingText", 1251},
      {"NoDigits\tabc\tdef", true, 0, "NoDigits", 0},
      {"\t9\t1252", true, 9, "", 1252},
      {"ExtraField\t10\t1253\tmore", true, 10, "ExtraField", 1253},
      {"Unsigned\t3422552072\t1252", true, -872415224, "Unsigned", 1252},
      {"Wide\t2147483648\t1252", true, -2147483648LL, "Wide", 1252},
  };
  for (const Case& c : cases) {
    CollationTable table;
    EXPECT_EQ(table.add_line(c.line), c.stored) << c.line;
    if (!c.stored) {
      EXPECT_TRUE(table.empty()) << c.line;
      continue;
    }
    ASSERT_EQ(table.size(), 1u) << c.line;
    const CollationEntry* entry = table.find(c.id);
    ASSERT_NE(entry, nullptr) << c.line;
    EXPECT_EQ(entry->name, c.name);
    EXPECT_EQ(entry->code_page, c.code_page);
  }
}

TEST(CollationTable, LaterLineWithTheSameIdReplacesTheEarlierOne) {
  const CollationTable table = table_from(
      "First\t100\t1250\n"
      "Other\t101\t1251\n"
      "Second\t100\t1252\n");
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(*table.find(100), (CollationEntry{"Second", 1252}));
}

TEST(CollationTable, SkipsBadLinesAndKeepsTheGoodOnesAround) {
  const CollationTable table = table_from("Good1\t1\t1252\nbad line\n\nGood2\t2\t65001");
  EXPECT_EQ(table.size(), 2u);
  EXPECT_EQ(table.find(2)->code_page, 65001);
}

TEST(CollationTable, MissingFileLeavesTheTableEmpty) {
  CollationTable table;
  EXPECT_FALSE(table.load_file("/nonexistent/folder/collation.txt"));
  EXPECT_TRUE(table.empty());
  EXPECT_FALSE(table.load_file(""));
  EXPECT_TRUE(table.empty());
}

TEST(CollationTable, LoadsAFileFromDisk) {
  const std::string path = ::testing::TempDir() + "collation_table_test.txt";
  {
    std::ofstream out(path, std::ios::binary);
    out << "Greek_CI_AS\t53253\t1253\r\nThai_CI_AS\t53276\t874\r\n";
  }
  CollationTable table;
  EXPECT_TRUE(table.load_file(path));
  EXPECT_EQ(table.size(), 2u);
  EXPECT_EQ(table.find(53276)->name, "Thai_CI_AS");
  std::remove(path.c_str());
}

TEST(CollationTable, GeneratedFileBesideTheProgramHoldsEveryCollation) {
  CollationTable table;
  ASSERT_TRUE(table.load_beside_executable()) << "collation.txt is missing from " << executable_folder();
  EXPECT_EQ(table.size(), 5508u);
  struct Case { std::int64_t id; const char* name; std::int32_t code_page; };
  const Case cases[] = {
      {53256, "Latin1_General_CI_AS", 1252},
      {872468488, "SQL_Latin1_General_CP1_CI_AS", 1252},
      {-2130657254, "SQL_Latin1_General_CP1254_CS_AS", 1254},
  };
  for (const Case& c : cases) {
    const CollationEntry* entry = table.find(c.id);
    ASSERT_NE(entry, nullptr) << c.id;
    EXPECT_EQ(entry->name, c.name);
    EXPECT_EQ(entry->code_page, c.code_page);
  }
}

TEST(ChosenCollation, StartsUnknownWithTheAnsiCodePageAndTakesAnEntry) {
  ChosenCollation chosen;
  EXPECT_FALSE(chosen.known);
  EXPECT_EQ(chosen.id, -1);
  EXPECT_EQ(chosen.code_page, 1252);
  chosen.choose(53264, CollationEntry{"Japanese_CI_AS", 932});
  EXPECT_TRUE(chosen.known);
  EXPECT_EQ(chosen.id, 53264);
  EXPECT_EQ(chosen.code_page, 932);
  EXPECT_EQ(chosen.name, "Japanese_CI_AS");
  chosen.reset();
  EXPECT_FALSE(chosen.known);
  EXPECT_EQ(chosen.code_page, 1252);
}

}  // namespace
}  // namespace portalmend
