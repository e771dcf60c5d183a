#include "values/value_shape.h"

#include <gtest/gtest.h>

namespace portalmend {
namespace {

TEST(ValueShape, SizesFollowTheTypeCode) {
  // D = 30 (declared length), V = the column's variable flag.
  struct Case { TypeCode code; std::uint8_t column_variable; std::uint8_t variable; std::int16_t fixed; std::int16_t length; };
  const Case cases[] = {
      {kTypeBigint, 0, 0, 8, 8},          {kTypeBinary, 0, 0, 30, 30},      {kTypeChar, 0, 0, 30, 30},
      {kTypeDatetime, 0, 0, 8, 8},        {kTypeDate, 0, 0, 3, 3},          {kTypeTime, 0, 0, 5, 5},
      {kTypeDatetime2, 0, 0, 8, 8},       {kTypeDatetimeOffset, 0, 0, 10, 10}, {kTypeInt, 0, 0, 4, 4},
      {kTypeNchar, 0, 0, 30, 30},         {kTypeNvarchar, 1, 1, 30, 30},    {kTypeUnassigned, 1, 1, 8, 8},
      {kTypeSmallint, 0, 0, 2, 2},        {kTypeTinyint, 0, 0, 1, 1},       {kTypeUniqueidentifier, 1, 0, 16, 16},
      {kTypeVarbinary, 0, 1, 0, 30},      {kTypeVarchar, 1, 1, 0, 30},      {kTypeVarchar, 0, 0, 0, 30},
      {kTypeUnused, 1, 0, 0, 0},          {kTypeNtext, 1, 1, 30, 30},       {kTypeSqlVariant, 1, 1, 30, 30},
      {kTypeMoney, 0, 0, 8, 8},           {kTypeFloat, 0, 0, 8, 8},         {kTypeNumeric, 0, 0, 19, 19},
      {kTypeDecimal, 0, 0, 30, 30},       {kTypeImage, 0, 1, 0, 30},        {kTypeText, 1, 1, 30, 30},
      {kTypeSmalldatetime, 0, 0, 4, 4},   {kTypeReal, 0, 0, 4, 4},          {kTypeSmallmoney, 0, 0, 4, 4},
      {kTypeTimestamp, 0, 0, 8, 8},       {kTypeClr128, 1, 1, 30, 30},      {kTypeClr129, 1, 1, 30, 30},
      {kTypeClrOther, 1, 1, 30, 30},      {kTypeXml, 0, 1, 0, 30},          {35, 1, 0, 0, 0},
      {1000, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    ValueColumn column;
    column.type_code = c.code;
    column.declared_length = 30;
    column.variable = c.column_variable;
    const ValueShape shape = shape_by_type(column);
    EXPECT_EQ(shape.variable, c.variable) << "code " << c.code;
    EXPECT_EQ(shape.fixed_size, c.fixed) << "code " << c.code;
    EXPECT_EQ(shape.value_length, c.length) << "code " << c.code;
    EXPECT_EQ(shape.type_code, c.code);
    EXPECT_EQ(shape.bits, nullptr);
  }
}

TEST(ValueShape, BitColumnTakesAFixedByteOnlyWhenANewByteStarts) {
  ValueColumn column;
  column.type_code = kTypeBit;
  BitColumnState bits;
  ValueShape first = shape_by_type(column, &bits);
  EXPECT_EQ(first.fixed_size, 1);
  EXPECT_EQ(first.value_length, 1);
  EXPECT_EQ(first.bits, &bits);
  EXPECT_TRUE(bits.byte_consumed);

  bits.bit_index = 3;  // a byte is being shared
  const ValueShape later = shape_by_type(column, &bits);
  EXPECT_EQ(later.fixed_size, 0);
  EXPECT_EQ(later.value_length, 1);

  const ValueShape without_state = shape_by_type(column);
  EXPECT_EQ(without_state.fixed_size, 0);
  EXPECT_EQ(without_state.bits, nullptr);
}

TEST(ValueShape, LengthComesFromTheTypeTextsParentheses) {
  struct Case { const char* text; std::int32_t length; };
  const Case cases[] = {
      {"datetime2(8)", 8}, {"nvarchar(-1)", -1}, {"int(4)", 4}, {"decimal( 9)", 9},
      {"(4)", 4},          {"int", 0},           {"int(", 0},    {"int)4(", 0},
      {"", 0},             {"x(12)(5)", 12},     {"varchar(abc)", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(length_from_type_text(c.text), c.length) << c.text;
}

}  // namespace
}  // namespace portalmend
