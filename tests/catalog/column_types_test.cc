// Type codes, column descriptions built from type texts, the column order and the
// definition texts of computed columns.

#include <gtest/gtest.h>

#include "catalog/column_description.h"
#include "catalog/object_values_cache.h"
#include "catalog/type_mapping.h"

namespace portalmend {
namespace {

TEST(TypeMapping, SystemTypeIdsGiveInternalCodes) {
  const std::pair<int, std::uint32_t> cases[] = {
      {34, 26}, {35, 26}, {36, 15}, {40, 5},   {41, 6},   {42, 7},   {43, 8},   {48, 14},  {52, 13},
      {56, 9},  {58, 27}, {59, 28}, {60, 21},  {61, 4},   {62, 22},  {98, 20},  {99, 19},  {104, 2},
      {106, 24}, {108, 23}, {122, 29}, {127, 0}, {165, 16}, {167, 17}, {173, 1}, {175, 3}, {189, 30},
      {231, 11}, {232, 18}, {239, 10}, {240, 33}, {241, 34}, {0, 3},    {255, 3},
  };
  for (const auto& [system_type, code] : cases) {
    SCOPED_TRACE(system_type);
    EXPECT_EQ(type_code_of(static_cast<std::uint8_t>(system_type)), code);
  }
  EXPECT_EQ(column_type_code(34), 25u);
  EXPECT_EQ(column_type_code(35), 26u);
  EXPECT_EQ(clr_adjusted_type_code(33, 128), 31u);
  EXPECT_EQ(clr_adjusted_type_code(33, 129), 32u);
  EXPECT_EQ(clr_adjusted_type_code(33, 130), 33u);
  EXPECT_EQ(clr_adjusted_type_code(11, 129), 11u);
}

struct DescriptionCase {
  const char* type_text;
  std::uint32_t code;
  std::int16_t declared_length;
  std::uint8_t variable;
  std::uint32_t final_code;
};

TEST(ColumnDescriptionBuilder, DeclaredLengthVariableFlagAndCode) {
  const DescriptionCase cases[] = {
      {"nvarchar(-1)", 11, -1, 1, 11},
      {"nvarchar(256)", 11, 256, 1, 11},
      {"ntext(16)", 19, 16, 1, 19},
      {"sql_variant(8016)", 20, 0, 1, 20},
      {"nchar(10)", 10, 10, 0, 10},
      {"binary(8)", 1, 8, 0, 1},
      {"char(5)", 3, 5, 0, 3},
      {"decimal(17)", 24, 17, 0, 24},
      {"int(4)", 9, 0, 0, 9},
      {"varbinary(-1)", 16, 0, 1, 16},
      {"varchar(50)", 17, 0, 1, 17},
      {"uniqueidentifier(16)", 15, 0, 1, 15},
      {"image(16)", 25, 0, 1, 25},
      {"text(16)", 26, 16, 1, 26},
      {"xml(-1)", 34, -1, 1, 34},
      {"(256)", 18, 256, 1, 11},
      {"geography(-1)", 31, 0, 1, 17},
      {"hierarchyid(892)", 32, 0, 1, 17},
      {"clr(5)", 33, 5, 1, 33},
      {"odd(7)", 40, 0, 1, 17},
      {"nchar", 10, 0, 0, 10},
      {"nchar(x)", 10, 0, 0, 10},
  };
  for (const DescriptionCase& c : cases) {
    SCOPED_TRACE(c.type_text);
    const ColumnDescription column = make_column_description("c", c.type_text, c.code);
    EXPECT_EQ(column.declared_length, c.declared_length);
    EXPECT_EQ(column.variable, c.variable);
    EXPECT_EQ(column.type_code, c.final_code);
    EXPECT_EQ(column.type_text, c.type_text);
    EXPECT_EQ(column.null_bit, -1);
    EXPECT_EQ(column.collation_id, -1);
    EXPECT_EQ(column.column_id, 0);
    EXPECT_EQ(column.physical_column_id, 0);
  }
}

TEST(ColumnDescriptionBuilder, SelectionSortOrdersByColumnIdKeepingFirstOfTies) {
  ColumnDescriptionList columns;
  for (auto [id, name] : std::initializer_list<std::pair<int, const char*>>{
           {3, "c"}, {1, "a1"}, {2, "b"}, {1, "a2"}, {-4, "neg"}}) {
    ColumnDescription column;
    column.column_id = id;
    column.name = name;
    columns.push_back(column);
  }
  sort_by_column_id(columns);
  std::vector<std::string> names;
  for (const ColumnDescription& column : columns) names.push_back(column.name);
  // A selection sort swaps, so ties keep the order the swaps leave: the first a1 is found
  // first and moved forward.
  EXPECT_EQ(names, (std::vector<std::string>{"neg", "a1", "a2", "b", "c"}));
}

TEST(ObjectValues, ValueTextDecodesToBytesAndText) {
  DecodedValueText decoded = decode_value_text("0x41420043");
  EXPECT_EQ(decoded.bytes, (std::vector<std::uint8_t>{0x41, 0x42, 0x00, 0x43}));
  EXPECT_TRUE(decoded.wide);
  decoded = decode_value_text("0x414");
  EXPECT_EQ(decoded.bytes, (std::vector<std::uint8_t>{0x41, 0x40}));
  EXPECT_FALSE(decoded.wide);
  EXPECT_TRUE(decode_value_text("0").bytes.empty());
  EXPECT_TRUE(decode_value_text("0x").bytes.empty());

  EXPECT_EQ(value_text_as_text("0x28005B0061005D002B005B0062005D002900"), "([a]+[b])");
  EXPECT_EQ(value_text_as_text("0x28615D29"), "(a])");
  EXPECT_EQ(value_text_as_text("0x4DFC"), "M\xC3\xBC");
}

TEST(ObjectValues, DefinitionLookupJoinsMatchingRowsInOrder) {
  const ObjectValuesCache cache = {
      {"101", "3", "0x28615D"},
      {"101", "4", "0x58"},
      {"102", "3", "0x59"},
      {"101", "3", ""},
      {"101", "3", "0x2B6229"},
  };
  std::string definition = "unchanged";
  EXPECT_TRUE(definition_text_lookup(cache, "101", 3, definition));
  EXPECT_EQ(definition, "(a]+b)");
  definition = "unchanged";
  EXPECT_FALSE(definition_text_lookup(cache, "101", 5, definition));
  EXPECT_EQ(definition, "unchanged");
  EXPECT_FALSE(definition_text_lookup(cache, "10", 3, definition));
}

}  // namespace
}  // namespace portalmend
