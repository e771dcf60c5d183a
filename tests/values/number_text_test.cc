#include "values/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "values/test_bytes.h"

namespace portalmend {
namespace {

using test::Bytes;
using test::cat;
using test::le;

TEST(MoneyText, ShowsFourDecimalsAndTheSign) {
  struct Case { std::int64_t value; const char* text; };
  const Case cases[] = {
      {0, "0.0000"},
      {123, "0.0123"},
      {-5, "-0.0005"},
      {1234567, "123.4567"},
      {10000, "1.0000"},
      {-123456, "-12.3456"},
      {-10000, "-1.0000"},
      {std::numeric_limits<std::int64_t>::max(), "922337203685477.5807"},
      {std::numeric_limits<std::int64_t>::min(), "-922337203685477.5808"},
  };
  for (const Case& c : cases) EXPECT_EQ(money_text(c.value), c.text) << c.value;
}

TEST(SmallmoneyText, ShowsFourDecimalsAndTheSign) {
  struct Case { std::int32_t value; const char* text; };
  const Case cases[] = {
      {0, "0.0000"},
      {1, "0.0001"},
      {123, "0.0123"},
      {25000, "2.5000"},
      {-55000, "-5.5000"},
      {std::numeric_limits<std::int32_t>::max(), "214748.3647"},
      {std::numeric_limits<std::int32_t>::min(), "-214748.3648"},
  };
  for (const Case& c : cases) EXPECT_EQ(smallmoney_text(c.value), c.text) << c.value;
}

// The rule smallmoney follows when written with floating point: x * 0.0001 printed with
// 10 - ceil(log10 x) decimals (six for x <= 0), cut four digits after the point.
std::string smallmoney_by_float_rule(std::int32_t value) {
  const double x = value * 0.0001;
  const int decimals = x > 0 ? 10 - static_cast<int>(std::ceil(std::log10(x))) : 6;
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, x);
  std::string s = text;
  const std::size_t point = s.find('.');
  if (point != std::string::npos && s.size() > point + 5) s.resize(point + 5);
  return s;
}

TEST(SmallmoneyText, AgreesWithTheFloatingPointRuleAcrossTheRange) {
  for (std::int64_t v = std::numeric_limits<std::int32_t>::min(); v <= std::numeric_limits<std::int32_t>::max();
       v += 104729) {
    const auto value = static_cast<std::int32_t>(v);
    if (value <= 0) continue;  // the float rule keeps six decimals there, the same digits
    EXPECT_EQ(smallmoney_text(value), smallmoney_by_float_rule(value)) << value;
  }
}

TEST(FloatText, PrintsFifteenSignificantDigitsInFixedNotation) {
  struct Case { double value; const char* text; };
  const Case cases[] = {
      {2.5, "2.50000000000000"},      // 15 - ceil(log10 2.5) = 14 decimals
      {0.0, "0.000000"},
      {1.0, "1.000000000000000"},
      {10.0, "10.00000000000000"},
      {123.456, "123.456000000000"},
      {0.001, "0.001000000000000000"},
      {-2.5, "-2.50000000000000"},    // a negative value keeps its digits too
      {-0.000001, "-0.000001000000000000000"},
      {1e15, "1000000000000000"},
      {1.5e16, "15000000000000000"},  // no negative number of decimals
      {std::numeric_limits<double>::infinity(), "0"},
      {-std::numeric_limits<double>::infinity(), "0"},
      {std::numeric_limits<double>::quiet_NaN(), "0"},
  };
  for (const Case& c : cases) EXPECT_EQ(float_text(c.value), c.text) << c.value;
}

TEST(RealText, UsesStreamTextIncludingNegativeExponents) {
  struct Case { float value; const char* text; };
  const Case cases[] = {
      {0.00001f, "1e-05"},
      {1.5f, "1.5"},
      {0.0f, "0"},
      {-3.25f, "-3.25"},
      {123456.0f, "123456"},
      {1234567.0f, "1.23457e+06"},
      {0.1f, "0.1"},
      {std::numeric_limits<float>::infinity(), "0"},
      {std::numeric_limits<float>::quiet_NaN(), "0"},
  };
  for (const Case& c : cases) EXPECT_EQ(real_text(c.value), c.text) << c.value;
}

// Sign byte then a magnitude of `width` bytes.
Bytes decimal_bytes(std::uint8_t sign, unsigned __int128 magnitude, std::size_t width) {
  Bytes out{sign};
  for (std::size_t i = 0; i < width; ++i) out.push_back(static_cast<std::uint8_t>(magnitude >> (8 * i)));
  return out;
}

unsigned __int128 pow10(int n) {
  unsigned __int128 v = 1;
  while (n-- > 0) v *= 10;
  return v;
}

TEST(DecimalText, PlacesThePointBeforeTheScaleDigits) {
  const unsigned __int128 max38 = pow10(38) - 1;
  struct Case { Bytes bytes; int precision; int scale; const char* text; };
  const Case cases[] = {
      {decimal_bytes(0, 12345, 4), 5, 2, "-123.45"},
      {decimal_bytes(1, 12345, 4), 5, 2, "123.45"},
      {decimal_bytes(1, 5, 4), 5, 3, "0.005"},
      {decimal_bytes(1, 45, 4), 5, 2, "0.45"},
      {decimal_bytes(1, 45, 4), 2, 2, "0.45"},
      {decimal_bytes(1, 0, 4), 5, 0, "0"},
      {decimal_bytes(1, 0, 4), 5, 3, "0.000"},
      {decimal_bytes(0, 0, 4), 5, 2, "0.00"},
      {decimal_bytes(1, 7, 4), 0, 0, "7"},                 // precision 0 reads 4 bytes
      {decimal_bytes(1, 999999999, 4), 9, 0, "999999999"},
      {decimal_bytes(1, 1234567890123ull, 8), 18, 4, "123456789.0123"},
      {decimal_bytes(1, pow10(25) + 1, 12), 28, 10, "1000000000000000.0000000001"},
      {decimal_bytes(1, max38, 16), 38, 0, "99999999999999999999999999999999999999"},
      {decimal_bytes(0, max38, 16), 38, 0, "-99999999999999999999999999999999999999"},
      {decimal_bytes(1, max38, 16), 38, 38, "0.99999999999999999999999999999999999999"},
      {decimal_bytes(1, 1, 16), 38, 38, "0.00000000000000000000000000000000000001"},
      {decimal_bytes(0, max38, 16), 38, 10, "-9999999999999999999999999999.9999999999"},
      // A damaged magnitude wider than the precision loses fraction digits.
      {decimal_bytes(1, 123456, 4), 4, 2, "1234"},
      {decimal_bytes(1, 123456, 4), 5, 2, "1234.5"},
      {decimal_bytes(1, ~static_cast<unsigned __int128>(0), 16), 38, 2,
       "3402823669209384634633746074317682114.5"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(decimal_text(ByteReader(c.bytes), c.precision, c.scale), c.text) << c.precision << "," << c.scale;
  }
}

TEST(DecimalText, TooFewBytesForThePrecisionGiveNothing) {
  const Bytes five = decimal_bytes(1, 1, 4);
  EXPECT_EQ(decimal_text(ByteReader(five), 10, 0), "");  // needs 8 magnitude bytes
  EXPECT_EQ(decimal_text(ByteReader(), 5, 0), "");
  EXPECT_EQ(decimal_magnitude_bytes(9), 4);
  EXPECT_EQ(decimal_magnitude_bytes(10), 8);
  EXPECT_EQ(decimal_magnitude_bytes(19), 8);
  EXPECT_EQ(decimal_magnitude_bytes(20), 12);
  EXPECT_EQ(decimal_magnitude_bytes(28), 12);
  EXPECT_EQ(decimal_magnitude_bytes(29), 16);
  EXPECT_EQ(decimal_magnitude_bytes(38), 16);
}

TEST(GuidText, SwapsTheFirstThreeGroups) {
  const Bytes bytes = test::hex("00112233445566778899AABBCCDDEEFF");
  EXPECT_EQ(guid_text(ByteReader(bytes)), "33221100-5544-7766-8899-AABBCCDDEEFF");
  const Bytes short_bytes(15, 0);
  EXPECT_EQ(guid_text(ByteReader(short_bytes)), "");
}

TEST(HexDigits, AreUppercaseTwoPerByte) {
  const Bytes bytes = {0x00, 0x0A, 0xBC, 0xFF};
  EXPECT_EQ(hex_digits(ByteReader(bytes)), "000ABCFF");
  EXPECT_EQ(hex_digits(ByteReader()), "");
}

}  // namespace
}  // namespace portalmend
