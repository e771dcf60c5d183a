#include "values/value_text.h"

#include <gtest/gtest.h>

#include <cstring>

#include "values/test_bytes.h"

namespace portalmend {
namespace {

using test::Bytes;
using test::cat;
using test::le;

struct Column {
  TypeCode code;
  const char* type_text;
  std::int16_t declared_length = 0;
  std::uint8_t precision = 0;
  std::uint8_t scale = 0;
  std::int32_t collation_id = -1;
};

ValueColumn value_column(const Column& c) {
  ValueColumn column;
  column.type_code = c.code;
  column.type_text = c.type_text;
  column.declared_length = c.declared_length;
  column.precision = c.precision;
  column.scale = c.scale;
  column.collation_id = c.collation_id;
  // As the catalog marks them.
  switch (c.code) {
    case kTypeNvarchar: case kTypeUniqueidentifier: case kTypeVarbinary: case kTypeVarchar: case kTypeNtext:
    case kTypeSqlVariant: case kTypeImage: case kTypeText: case kTypeClr128: case kTypeClr129:
    case kTypeClrOther: case kTypeXml:
      column.variable = 1;
      break;
    default:
      break;
  }
  return column;
}

// Converts `bytes` the way a row reader does: a fixed value may read up to the end of the
// bytes handed over, a variable value is exactly the bytes handed over.
std::string convert(const Column& c, const Bytes& bytes, ValueShape* out_shape = nullptr) {
  const ValueColumn column = value_column(c);
  ValueShape shape = shape_by_type(column);
  if (shape.variable) {
    shape.value_length = static_cast<std::int16_t>(bytes.size());
  } else {
    shape.max_length = static_cast<std::int64_t>(bytes.size());
  }
  ValueContext context;  // no collations: 8-bit text in Windows-1252
  std::string text = value_to_text(shape, column, ByteReader(bytes), context);
  if (out_shape != nullptr) *out_shape = shape;
  return text;
}

Bytes double_bytes(double d) {
  std::uint64_t raw;
  std::memcpy(&raw, &d, sizeof raw);
  return le(raw, 8);
}

Bytes float_bytes(float f) {
  std::uint32_t raw;
  std::memcpy(&raw, &f, sizeof raw);
  return le(raw, 4);
}

TEST(ValueToText, FormatsEveryTypeCode) {
  struct Case { Column column; Bytes bytes; const char* text; };
  const Case cases[] = {
      {{kTypeBigint, "bigint(8)"}, le(static_cast<std::uint64_t>(-1234567890123LL), 8), "-1234567890123"},
      {{kTypeBigint, "bigint(8)"}, le(0x7FFFFFFFFFFFFFFFull, 8), "9223372036854775807"},
      {{kTypeBigint, "bigint(8)"}, le(0x8000000000000000ull, 8), "-9223372036854775808"},
      {{kTypeBinary, "binary(3)", 3}, {0x01, 0xAB, 0x00}, "0x01AB00"},
      {{kTypeChar, "char(10)", 10}, test::raw("abc       "), "abc       "},
      {{kTypeDatetime, "datetime(8)"}, cat({le(0, 4), le(0, 4)}), "1900-01-01 00:00:00"},
      {{kTypeDate, "date(3)"}, le(3652058, 3), "9999-12-31"},
      {{kTypeTime, "time(5)", 0, 16, 7}, le(360005000000ull, 5), "10:00:00.5000000"},
      {{kTypeTime, "time(3)", 0, 8, 0}, le(86399, 3), "23:59:59"},
      {{kTypeDatetime2, "datetime2(8)", 0, 27, 7}, cat({le(360005000000ull, 5), le(730119, 3)}),
       "2000-01-01 10:00:00.5000000"},
      {{kTypeDatetime2, "datetime2(6)", 0, 19, 0}, cat({le(36000, 3), le(730119, 3)}), "2000-01-01 10:00:00"},
      {{kTypeDatetimeOffset, "datetimeoffset(8)", 0, 26, 0}, cat({le(36000, 3), le(730119, 3), le(330, 2)}),
       "2000-01-01 15:30:00 +5:30"},
      {{kTypeDatetimeOffset, "datetimeoffset(10)", 0, 34, 7},
       cat({le(360005000000ull, 5), le(730119, 3), le(static_cast<std::uint16_t>(-330), 2)}),
       "2000-01-01 04:30:00.5000000  -5:30"},
      {{kTypeInt, "int(4)"}, le(static_cast<std::uint32_t>(-42), 4), "-42"},
      {{kTypeNchar, "nchar(20)", 20}, test::utf16(u"Bräcke    "), "Bräcke    "},
      {{kTypeNvarchar, "nvarchar(80)", 80}, test::utf16(u"Ελληνικά"), "Ελληνικά"},
      {{kTypeUnassigned, "x(8)"}, le(1, 8), ""},
      {{kTypeSmallint, "smallint(2)"}, le(static_cast<std::uint16_t>(-32768), 2), "-32768"},
      {{kTypeTinyint, "tinyint(1)"}, {255}, "255"},
      {{kTypeUniqueidentifier, "uniqueidentifier(16)"}, test::hex("00112233445566778899AABBCCDDEEFF"),
       "33221100-5544-7766-8899-AABBCCDDEEFF"},
      {{kTypeVarbinary, "varbinary(8)", 8}, {0x12, 0x34}, "1234"},
      {{kTypeVarchar, "varchar(20)", 20}, test::hex("4dfc6e6368656e"), "München"},
      {{kTypeUnused, "x(4)"}, le(1, 4), ""},
      {{kTypeNtext, "ntext(16)", 16}, test::utf16(u"Привет"), "Привет"},  // never through a code page
      {{kTypeNtext, "ntext(16)", 16}, test::utf16(u"Hello"), "Hello"},
      {{kTypeSqlVariant, "sql_variant(8016)"}, cat({Bytes{56, 1}, le(77, 4)}), "77"},
      {{kTypeMoney, "money(8)"}, le(10000, 8), "1.0000"},
      {{kTypeMoney, "money(8)"}, le(static_cast<std::uint64_t>(-123456), 8), "-12.3456"},
      {{kTypeFloat, "float(8)"}, double_bytes(2.5), "2.50000000000000"},
      {{kTypeFloat, "float(8)"}, double_bytes(1.0 / 0.0), "0"},
      {{kTypeNumeric, "numeric(5)", 5, 9, 2}, cat({Bytes{0}, le(12345, 4)}), "-123.45"},
      {{kTypeDecimal, "decimal(5)", 5, 5, 2}, cat({Bytes{0}, le(12345, 4)}), "-123.45"},
      {{kTypeDecimal, "decimal(17)", 17, 38, 4}, cat({Bytes{1}, le(123456789, 8), le(0, 8)}), "12345.6789"},
      {{kTypeImage, "image(16)", 16}, le(1, 4), ""},
      {{kTypeText, "text(16)", 16, 0, 0, 53256}, test::raw("plain"), "plain"},
      {{kTypeSmalldatetime, "smalldatetime(4)"}, cat({le(1439, 2), le(0, 2)}), "1900-01-01 23:59:00"},
      {{kTypeReal, "real(4)"}, float_bytes(0.00001f), "1e-05"},
      {{kTypeReal, "real(4)"}, float_bytes(1.5f), "1.5"},
      {{kTypeSmallmoney, "smallmoney(4)"}, le(static_cast<std::uint32_t>(-55000), 4), "-5.5000"},
      {{kTypeTimestamp, "timestamp(8)"}, le(0x0102030405060708ull, 8), "0x0807060504030201"},
      {{kTypeClr128, "hierarchyid(892)", 892}, {0x58}, "0x58"},
      {{kTypeClr129, "geometry(-1)", -1}, {0xE6, 0x10}, "E610"},
      {{kTypeClrOther, "geography(-1)", -1}, {0xAB}, "0xAB"},
      {{kTypeXml, "xml(-1)", -1}, {0xDF, 0xFF, 0x01}, " "},  // converts to nothing
      {{35, "x(4)"}, le(1, 4), ""},
      {{1000, "x(4)"}, le(1, 4), ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(convert(c.column, c.bytes), c.text) << "code " << c.column.code << " " << c.column.type_text;
  }
}

TEST(ValueToText, FixedValuesNeedTheirBytes) {
  struct Case { Column column; std::size_t available; };
  const Case cases[] = {
      {{kTypeBigint, "bigint(8)"}, 7},      {{kTypeInt, "int(4)"}, 3},
      {{kTypeSmallint, "smallint(2)"}, 1},  {{kTypeDatetime, "datetime(8)"}, 7},
      {{kTypeDate, "date(3)"}, 2},          {{kTypeSmalldatetime, "smalldatetime(4)"}, 3},
      {{kTypeMoney, "money(8)"}, 7},        {{kTypeFloat, "float(8)"}, 7},
      {{kTypeReal, "real(4)"}, 3},          {{kTypeUniqueidentifier, "uniqueidentifier(16)"}, 15},
      {{kTypeDecimal, "decimal(5)", 5, 9, 0}, 4},
      {{kTypeDatetime2, "datetime2(8)", 0, 27, 7}, 7},
      {{kTypeTinyint, "tinyint(1)"}, 0},
  };
  for (const Case& c : cases) {
    const Bytes bytes(c.available, 0x11);
    EXPECT_EQ(convert(c.column, bytes), "") << "code " << c.column.code;
  }
}

TEST(ValueToText, VariableValueLengthOutsideTheShapeGivesNothing) {
  const ValueColumn column = value_column({kTypeNvarchar, "nvarchar(20)", 20});
  const Bytes bytes = test::utf16(u"abc");
  ValueShape shape = shape_by_type(column);
  shape.value_length = 0;
  EXPECT_EQ(value_to_text(shape, column, ByteReader(bytes), ValueContext()), "");
  shape = shape_by_type(column);
  shape.value_length = 8;  // more than the bytes handed over
  EXPECT_EQ(value_to_text(shape, column, ByteReader(bytes), ValueContext()), "");
  EXPECT_EQ(value_to_text(shape, column, ByteReader(), ValueContext()), "");
}

TEST(ValueToText, DatesDecimalsAndMoneyReportTheBytesTheyTook) {
  struct Case { Column column; Bytes bytes; std::int32_t taken; };
  const Case cases[] = {
      {{kTypeTime, "time(3)", 0, 8, 0}, le(1, 3), 3},
      {{kTypeDatetime2, "datetime2(6)", 0, 19, 0}, le(1, 6), 6},
      {{kTypeDatetimeOffset, "datetimeoffset(9)", 0, 29, 4}, le(1, 9), 9},
      {{kTypeNumeric, "numeric(5)", 5, 9, 2}, le(1, 5), 5},
      {{kTypeDecimal, "decimal(9)", 9, 19, 2}, le(1, 9), 9},
      {{kTypeMoney, "money(8)"}, le(1, 8), 8},
      {{kTypeDate, "date(3)"}, le(1, 3), 3},
      // Without a type text the size follows from the scale or precision.
      {{kTypeTime, "time", 0, 0, 7}, le(1, 5), 5},
      {{kTypeDatetime2, "", 0, 0, 2}, le(1, 6), 6},
      {{kTypeNumeric, "", 0, 12, 0}, le(1, 9), 9},
  };
  for (const Case& c : cases) {
    Bytes padded = c.bytes;
    padded.resize(padded.size() + 12, 0xEE);  // the rest of the fixed data follows
    ValueShape shape;
    const std::string text = convert(c.column, padded, &shape);
    EXPECT_FALSE(text.empty()) << c.column.type_text;
    EXPECT_EQ(shape.storage_length, c.taken) << c.column.type_text;
    EXPECT_EQ(shape.value_length, c.taken) << c.column.type_text;
  }
  // A time(0) value as the last fixed column fits in its three bytes.
  EXPECT_EQ(convert({kTypeTime, "time(3)", 0, 8, 0}, le(3600, 3)), "01:00:00");
}

TEST(ValueToText, ConsecutiveBitColumnsShareOneByte) {
  ValueColumn column;
  column.type_code = kTypeBit;
  column.type_text = "bit(1)";
  const Bytes fixed = {0x05, 0xFF};
  BitColumnState bits;
  std::size_t offset = 0;
  const char* expected[] = {"True", "False", "True"};
  const std::int32_t taken[] = {1, 0, 0};
  for (int i = 0; i < 3; ++i) {
    ValueShape shape = shape_by_type(column, &bits);
    EXPECT_EQ(shape.fixed_size, i == 0 ? 1 : 0);
    shape.max_length = static_cast<std::int64_t>(fixed.size() - offset);
    EXPECT_EQ(value_to_text(shape, column, ByteReader(fixed).tail(offset), ValueContext()), expected[i]) << i;
    EXPECT_EQ(shape.storage_length, taken[i]) << i;
    offset += static_cast<std::size_t>(shape.storage_length);
  }
}

TEST(ValueToText, NinthBitColumnStartsTheNextByte) {
  ValueColumn column;
  column.type_code = kTypeBit;
  column.type_text = "bit(1)";
  const Bytes fixed = {0x80, 0x01};
  BitColumnState bits;
  std::size_t offset = 0;
  std::string texts;
  for (int i = 0; i < 9; ++i) {
    ValueShape shape = shape_by_type(column, &bits);
    shape.max_length = static_cast<std::int64_t>(fixed.size() - offset);
    texts += value_to_text(shape, column, ByteReader(fixed).tail(offset), ValueContext())[0];
    offset += static_cast<std::size_t>(shape.storage_length);
  }
  EXPECT_EQ(texts, "FFFFFFFTT");
  EXPECT_EQ(offset, 2u);
}

TEST(ValueToText, BitColumnWithoutStateOrByteGivesNothing) {
  ValueColumn column;
  column.type_code = kTypeBit;
  const Bytes fixed = {0x01};
  ValueShape shape = shape_by_type(column);
  EXPECT_EQ(value_to_text(shape, column, ByteReader(fixed), ValueContext()), "");
  BitColumnState bits;
  shape = shape_by_type(column, &bits);
  EXPECT_EQ(value_to_text(shape, column, ByteReader(), ValueContext()), "");
}

TEST(ValueToText, EightBitTextFollowsTheColumnsCollation) {
  CollationTable table;
  table.add_line("Cyrillic_General_CI_AS\t53251\t1251");
  table.add_line("Greek_CI_AS\t53255\t1253");
  ChosenCollation chosen;
  chosen.choose(53255, *table.find(53255));
  ValueContext context;
  context.collations = &table;
  context.chosen = &chosen;

  const Bytes bytes = test::hex("cff0e8e2e5f2");  // Привет in Windows-1251
  struct Case { std::int32_t collation; bool table_data; const char* text; };
  const Case cases[] = {
      {53251, true, "Привет"},
      {53255, true, "Οπθβες"},      // the same bytes read as Greek
      {99999, true, "Ïðèâåò"},      // not in the table: Windows-1252
      {-1, true, "Ïðèâåò"},
      {53251, false, "Ïðèâåò"},     // the catalog is read in Windows-1252
  };
  for (const Case& c : cases) {
    for (TypeCode code : {kTypeChar, kTypeVarchar, kTypeText}) {
      ValueColumn column = value_column({code, "varchar(6)", 6, 0, 0, c.collation});
      ValueShape shape = shape_by_type(column);
      shape.value_length = 6;
      shape.max_length = 6;
      context.table_data = c.table_data;
      EXPECT_EQ(value_to_text(shape, column, ByteReader(bytes), context), c.text) << c.collation << " code " << code;
    }
  }
}

TEST(ValueToText, BuildsItsColumnFromAnyDescriptionWithTheSameFields) {
  struct Description {
    std::int16_t declared_length = 5;
    std::uint32_t type_code = kTypeDecimal;
    std::string type_text = "decimal(5)";
    std::uint8_t variable = 0;
    std::uint8_t precision = 9;
    std::uint8_t scale = 2;
    std::int32_t collation_id = -1;
  } description;
  const ValueColumn column = value_column_of(description);
  EXPECT_EQ(column.type_code, kTypeDecimal);
  EXPECT_EQ(column.type_text, "decimal(5)");
  EXPECT_EQ(column.precision, 9);
  EXPECT_EQ(column.scale, 2);
  EXPECT_EQ(column.declared_length, 5);
}

}  // namespace
}  // namespace portalmend

#include "support/binary_xml_writer.h"

namespace portalmend {
namespace {

TEST(ValueToText, XmlInTheRecordGoesThroughTheXmlComponent) {
  BinaryXmlWriter writer;
  writer.Element("city").Text("München").EndElement();
  const std::vector<std::uint8_t> xml = writer.take();
  ValueColumn column;
  column.type_code = kTypeXml;
  column.type_text = "xml(-1)";
  column.variable = 1;
  ValueShape shape = shape_by_type(column);
  shape.value_length = static_cast<std::int16_t>(xml.size());
  EXPECT_EQ(value_to_text(shape, column, ByteReader(xml), ValueContext()), "<city>München</city>");

  // Not binary xml: the component gives nothing and the value shows as one blank.
  const std::vector<std::uint8_t> damaged(xml.begin(), xml.begin() + 3);
  shape = shape_by_type(column);
  shape.value_length = static_cast<std::int16_t>(damaged.size());
  EXPECT_EQ(value_to_text(shape, column, ByteReader(damaged), ValueContext()), " ");
}

}  // namespace
}  // namespace portalmend
