#include "values/sql_variant.h"

#include <cstring>

#include "values/code_page.h"
#include "values/date_time.h"
#include "values/number_text.h"

namespace portalmend {

namespace {

// Base system type ids.
constexpr std::uint8_t kBaseUniqueidentifier = 36;
constexpr std::uint8_t kBaseDate = 40;
constexpr std::uint8_t kBaseTime = 41;
constexpr std::uint8_t kBaseDatetime2 = 42;
constexpr std::uint8_t kBaseDatetimeOffset = 43;
constexpr std::uint8_t kBaseTinyint = 48;
constexpr std::uint8_t kBaseSmallint = 52;
constexpr std::uint8_t kBaseInt = 56;
constexpr std::uint8_t kBaseSmalldatetime = 58;
constexpr std::uint8_t kBaseReal = 59;
constexpr std::uint8_t kBaseMoney = 60;
constexpr std::uint8_t kBaseDatetime = 61;
constexpr std::uint8_t kBaseFloat = 62;
constexpr std::uint8_t kBaseBit = 104;
constexpr std::uint8_t kBaseDecimal = 106;
constexpr std::uint8_t kBaseNumeric = 108;
constexpr std::uint8_t kBaseSmallmoney = 122;
constexpr std::uint8_t kBaseBigint = 127;
constexpr std::uint8_t kBaseVarbinary = 165;
constexpr std::uint8_t kBaseVarchar = 167;
constexpr std::uint8_t kBaseBinary = 173;
constexpr std::uint8_t kBaseChar = 175;
constexpr std::uint8_t kBaseNvarchar = 231;
constexpr std::uint8_t kBaseNchar = 239;
constexpr std::uint8_t kBaseClr = 240;

// Field offsets.
constexpr std::size_t kBaseTypeOffset = 0;
constexpr std::size_t kPlainValueOffset = 2;
constexpr std::size_t kTimeScaleOffset = 2;
constexpr std::size_t kTimeValueOffset = 3;
constexpr std::size_t kDecimalPrecisionOffset = 2;
constexpr std::size_t kDecimalScaleOffset = 3;
constexpr std::size_t kDecimalValueOffset = 4;
constexpr std::size_t kBinaryValueOffset = 4;
constexpr std::size_t kStringCollationOffset = 4;
constexpr std::size_t kStringValueOffset = 8;

}  // namespace

std::string variant_to_text(const ByteReader& bytes, std::int64_t length, const ValueContext& context) {
  if (length < 1) return {};
  const std::optional<ByteReader> value = bytes.sub(0, static_cast<std::size_t>(length));
  if (!value) return {};
  const ByteReader& v = *value;
  const std::size_t l = v.size();
  const ByteReader plain = v.tail(kPlainValueOffset);

  switch (v.u8_or(kBaseTypeOffset)) {
    case kBaseUniqueidentifier:
      return l == 18 ? guid_text(plain) : std::string();
    case kBaseDate:
      return l == 5 ? date_text(plain) : std::string();
    case kBaseTime:
    case kBaseDatetime2:
    case kBaseDatetimeOffset: {
      if (l < 4) return {};
      const int scale = v.u8_or(kTimeScaleOffset);
      const int stored = static_cast<int>(l - kTimeValueOffset);
      const ByteReader time = v.tail(kTimeValueOffset);
      switch (v.u8_or(kBaseTypeOffset)) {
        case kBaseTime:
          return time_text(time, scale, stored);
        case kBaseDatetime2:
          return datetime2_text(time, scale, stored);
        default:
          return datetimeoffset_text(time, scale, stored);
      }
    }
    case kBaseTinyint:
      return l == 3 ? std::to_string(plain.u8_or(0)) : std::string();
    case kBaseSmallint:
      return l == 4 ? std::to_string(plain.i16_or(0)) : std::string();
    case kBaseInt:
      return l == 6 ? std::to_string(plain.i32_or(0)) : std::string();
    case kBaseSmalldatetime:
      return l == 6 ? smalldatetime_text(plain) : std::string();
    case kBaseReal: {
      if (l != 6) return {};
      const std::uint32_t raw = plain.u32_or(0);
      float f;
      std::memcpy(&f, &raw, sizeof f);
      return real_text(f);
    }
    case kBaseMoney:
      return l == 10 ? money_text(plain.i64_or(0)) : std::string();
    case kBaseDatetime:
      return l == 10 ? datetime_text(plain) : std::string();
    case kBaseFloat: {
      if (l != 10) return {};
      const std::uint64_t raw = plain.u64_or(0);
      double d;
      std::memcpy(&d, &raw, sizeof d);
      return float_text(d);
    }
    case kBaseBit:
      return l == 3 ? (plain.u8_or(0) != 0 ? "True" : "False") : std::string();
    case kBaseDecimal:
    case kBaseNumeric:
      if (l < 5) return {};
      return decimal_text(v.tail(kDecimalValueOffset), v.u8_or(kDecimalPrecisionOffset), v.u8_or(kDecimalScaleOffset));
    case kBaseSmallmoney:
      return l == 6 ? smallmoney_text(plain.i32_or(0)) : std::string();
    case kBaseBigint:
      return l == 10 ? std::to_string(plain.i64_or(0)) : std::string();
    case kBaseVarbinary:
    case kBaseBinary:
      return l >= 4 ? "0x" + hex_digits(v.tail(kBinaryValueOffset)) : std::string();
    case kBaseVarchar:
    case kBaseChar: {
      if (l < 8) return {};
      const std::int32_t collation = v.i32_or(kStringCollationOffset);
      return eight_bit_text(v.tail(kStringValueOffset), context.code_page_for(collation));
    }
    case kBaseNvarchar:
    case kBaseNchar:
      return l >= 8 ? utf16_text(v.tail(kStringValueOffset)) : std::string();
    case kBaseClr:
      return l >= 2 ? "0x" + hex_digits(plain) : std::string();
    default:
      return {};
  }
}

}  // namespace portalmend
