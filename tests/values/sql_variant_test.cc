#include "values/sql_variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "values/test_bytes.h"

namespace portalmend {
namespace {

using test::Bytes;
using test::cat;
using test::le;

// Base type and version 1, then the rest.
Bytes variant(std::uint8_t base_type, const Bytes& rest) { return cat({Bytes{base_type, 1}, rest}); }

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

// Maximum length and collation id of a string variant.
Bytes string_properties(std::uint16_t max_length, std::int32_t collation) {
  return cat({le(max_length, 2), le(static_cast<std::uint32_t>(collation), 4)});
}

TEST(VariantToText, FormatsEveryBaseType) {
  struct Case { const char* what; Bytes bytes; const char* text; };
  const Case cases[] = {
      {"uniqueidentifier", variant(36, test::hex("00112233445566778899AABBCCDDEEFF")),
       "33221100-5544-7766-8899-AABBCCDDEEFF"},
      {"date", variant(40, le(3652058, 3)), "9999-12-31"},
      {"time(7)", variant(41, cat({Bytes{7}, le(360005000000ull, 5)})), "10:00:00.5000000"},
      {"time(0)", variant(41, cat({Bytes{0}, le(3600, 3)})), "01:00:00"},
      {"datetime2(3)", variant(42, cat({Bytes{3}, le(36000123, 4), le(730119, 3)})), "2000-01-01 10:00:00.123"},
      {"datetimeoffset(0)", variant(43, cat({Bytes{0}, le(36000, 3), le(730119, 3), le(330, 2)})),
       "2000-01-01 15:30:00 +5:30"},
      {"datetimeoffset(0) negative", variant(43, cat({Bytes{0}, le(1800, 3), le(730119, 3), le(0xFFC4, 2)})),
       "1999-12-31 23:30:00 -1:0"},
      {"tinyint", variant(48, {200}), "200"},
      {"smallint", variant(52, le(0xFFFE, 2)), "-2"},
      {"int", variant(56, le(0x80000000u, 4)), "-2147483648"},
      {"smalldatetime", variant(58, cat({le(1439, 2), le(0, 2)})), "1900-01-01 23:59:00"},
      {"real", variant(59, float_bytes(0.00001f)), "1e-05"},
      {"real infinity", variant(59, float_bytes(1.0f / 0.0f)), "0"},
      {"money", variant(60, le(static_cast<std::uint64_t>(-123456), 8)), "-12.3456"},
      {"datetime", variant(61, cat({le(300, 4), le(static_cast<std::uint32_t>(-53690), 4)})), "1753-01-01 00:00:01"},
      {"float", variant(62, double_bytes(2.5)), "2.50000000000000"},
      {"float nan", variant(62, double_bytes(std::nan(""))), "0"},
      {"bit 1", variant(104, {1}), "True"},
      {"bit 0", variant(104, {0}), "False"},
      {"bit 7", variant(104, {7}), "True"},
      {"decimal(5,2)", variant(106, cat({Bytes{5, 2, 0}, le(12345, 4)})), "-123.45"},
      {"numeric(38,0)", variant(108, cat({Bytes{38, 0, 1}, le(42, 16)})), "42"},
      {"smallmoney", variant(122, le(25000, 4)), "2.5000"},
      {"bigint", variant(127, le(0x8000000000000000ull, 8)), "-9223372036854775808"},
      {"varbinary", variant(165, cat({le(8000, 2), Bytes{0x00, 0xAB}})), "0x00AB"},
      {"binary", variant(173, cat({le(3, 2), Bytes{0x01, 0x00, 0xFF}})), "0x0100FF"},
      {"varchar", variant(167, cat({string_properties(20, 53256), test::hex("4dfc6e6368656e")})), "München"},
      {"char", variant(175, cat({string_properties(5, 53256), test::raw("abc  ")})), "abc  "},
      {"nvarchar", variant(231, cat({string_properties(40, 872468488), test::utf16(u"Ελληνικά")})), "Ελληνικά"},
      {"nchar", variant(239, cat({string_properties(4, 872468488), test::utf16(u"東京")})), "東京"},
      {"CLR", variant(240, {0x58, 0x40}), "0x5840"},
      {"unknown base type", variant(99, {1, 2, 3}), ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(variant_to_text(ByteReader(c.bytes), static_cast<std::int64_t>(c.bytes.size()), ValueContext()), c.text)
        << c.what;
  }
}

TEST(VariantToText, WrongLengthGivesNothing) {
  struct Case { const char* what; Bytes bytes; };
  const Case cases[] = {
      {"uniqueidentifier", variant(36, Bytes(15, 0))}, {"date", variant(40, Bytes(4, 0))},
      {"time", variant(41, Bytes(1, 0))},              {"time bytes", variant(41, cat({Bytes{7}, le(0, 2)}))},
      {"tinyint", variant(48, Bytes(2, 0))},           {"smallint", variant(52, Bytes(1, 0))},
      {"int", variant(56, Bytes(5, 0))},               {"smalldatetime", variant(58, Bytes(3, 0))},
      {"real", variant(59, Bytes(8, 0))},              {"money", variant(60, Bytes(4, 0))},
      {"datetime", variant(61, Bytes(7, 0))},          {"float", variant(62, Bytes(4, 0))},
      {"bit", variant(104, Bytes(2, 0))},              {"decimal", variant(106, Bytes(2, 0))},
      {"decimal magnitude", variant(106, cat({Bytes{10, 0, 1}, le(1, 4)}))},
      {"smallmoney", variant(122, Bytes(8, 0))},       {"bigint", variant(127, Bytes(4, 0))},
      {"varbinary", variant(165, Bytes(1, 0))},        {"varchar", variant(167, Bytes(5, 0))},
      {"char", variant(175, Bytes(5, 0))},             {"nvarchar", variant(231, Bytes(5, 0))},
      {"nchar", variant(239, Bytes(3, 0))},            {"only the base type", Bytes{56}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(variant_to_text(ByteReader(c.bytes), static_cast<std::int64_t>(c.bytes.size()), ValueContext()), "")
        << c.what;
  }
}

TEST(VariantToText, LengthBeyondTheBytesGivesNothing) {
  const Bytes bytes = variant(56, le(5, 4));
  EXPECT_EQ(variant_to_text(ByteReader(bytes), 6, ValueContext()), "5");
  EXPECT_EQ(variant_to_text(ByteReader(bytes), 7, ValueContext()), "");
  EXPECT_EQ(variant_to_text(ByteReader(bytes), 0, ValueContext()), "");
  EXPECT_EQ(variant_to_text(ByteReader(bytes), -1, ValueContext()), "");
  EXPECT_EQ(variant_to_text(ByteReader(), 6, ValueContext()), "");
}

TEST(VariantToText, EightBitStringsUseTheirOwnCollation) {
  CollationTable table;
  table.add_line("Cyrillic_General_CI_AS\t53251\t1251");
  ValueContext context;
  context.collations = &table;
  const Bytes cyrillic = variant(167, cat({string_properties(20, 53251), test::hex("cff0e8e2e5f2")}));
  EXPECT_EQ(variant_to_text(ByteReader(cyrillic), static_cast<std::int64_t>(cyrillic.size()), context), "Привет");
  const Bytes unknown = variant(167, cat({string_properties(20, 4242), test::hex("cff0e8e2e5f2")}));
  EXPECT_EQ(variant_to_text(ByteReader(unknown), static_cast<std::int64_t>(unknown.size()), context), "Ïðèâåò");
}

}  // namespace
}  // namespace portalmend
