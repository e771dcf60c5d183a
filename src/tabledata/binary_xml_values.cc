#include "tabledata/binary_xml_values.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>

#include "tabledata/binary_xml_tokens.h"

namespace portalmend::binxml {
namespace {

constexpr char kUpperHex[] = "0123456789ABCDEF";
constexpr char kBase64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Days of the date/time values are counted from these days; both are given as days from 1970-01-01.
constexpr std::int64_t kDaysTo0001 = -719162;  // 0001-01-01
constexpr std::int64_t kDaysTo1900 = -25567;   // 1900-01-01

constexpr std::int64_t kTicksPerSecond = 10'000'000;  // 100-nanosecond units of the 2008 types
constexpr std::int64_t kTicksPerMinute = 60 * kTicksPerSecond;
constexpr std::int64_t kTicksPerDay = 86'400 * kTicksPerSecond;

// Bytes of the time part of the 2008 date/time types, by scale 0..7.
constexpr std::array<std::size_t, 8> kTimeBytesByScale = {3, 3, 3, 4, 4, 5, 5, 5};
// Ticks per unit of the time part, by scale.
constexpr std::array<std::int64_t, 8> kTicksPerUnitByScale = {10'000'000, 1'000'000, 100'000, 10'000,
                                                                1'000,      100,       10,      1};
constexpr std::size_t kDate2Bytes = 3;
constexpr std::size_t kZoneBytes = 2;

struct CivilDate {
  std::int64_t year;
  int month;
  int day;
};

// The civil (proleptic Gregorian) date of a day counted from 1970-01-01 (negative days allowed).
CivilDate CivilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t day_of_era = days - era * 146097;
  const std::int64_t year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const std::int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const std::int64_t mp = (5 * day_of_year + 2) / 153;
  const int day = static_cast<int>(day_of_year - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {year_of_era + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

void Append2(int value, std::string& out) {
  out.push_back(static_cast<char>('0' + (value / 10) % 10));
  out.push_back(static_cast<char>('0' + value % 10));
}

// At least two digits (zone hours may in bad data run past 99).
void AppendAtLeast2(std::int64_t value, std::string& out) {
  if (value < 10) out.push_back('0');
  out += std::to_string(value);
}

// A year as at least four digits, with a minus sign before the first year.
void AppendYear(std::int64_t year, std::string& out) {
  if (year < 0) {
    out.push_back('-');
    year = -year;
  }
  const std::string digits = std::to_string(year);
  if (digits.size() < 4) out.append(4 - digits.size(), '0');
  out += digits;
}

void AppendDate(const CivilDate& date, std::string& out) {
  AppendYear(date.year, out);
  out.push_back('-');
  Append2(date.month, out);
  out.push_back('-');
  Append2(date.day, out);
}

void AppendClock(int hour, int minute, int second, std::string& out) {
  Append2(hour, out);
  out.push_back(':');
  Append2(minute, out);
  out.push_back(':');
  Append2(second, out);
}

// ".mmm" when there are milliseconds.
void AppendMilliseconds(int milliseconds, std::string& out) {
  if (milliseconds == 0) return;
  out.push_back('.');
  out.push_back(static_cast<char>('0' + milliseconds / 100));
  Append2(milliseconds % 100, out);
}

// The fraction of a second in 100-ns ticks, as ".fffffff" without trailing zeros.
void AppendTickFraction(std::int64_t ticks, std::string& out) {
  if (ticks == 0) return;
  char digits[7];
  for (int i = 6; i >= 0; --i) {
    digits[i] = static_cast<char>('0' + ticks % 10);
    ticks /= 10;
  }
  int length = 7;
  while (length > 0 && digits[length - 1] == '0') --length;
  out.push_back('.');
  out.append(digits, static_cast<std::size_t>(length));
}

// A time of day in 100-ns ticks (0 <= ticks < one day).
void AppendTickTime(std::int64_t ticks, std::string& out) {
  const std::int64_t seconds = ticks / kTicksPerSecond;
  AppendClock(static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60), out);
  AppendTickFraction(ticks % kTicksPerSecond, out);
}

// A zone offset: "Z" for none, else "+hh:mm" / "-hh:mm".
void AppendZone(std::int64_t minutes, std::string& out) {
  if (minutes == 0) {
    out.push_back('Z');
    return;
  }
  out.push_back(minutes < 0 ? '-' : '+');
  if (minutes < 0) minutes = -minutes;
  AppendAtLeast2(minutes / 60, out);
  out.push_back(':');
  Append2(static_cast<int>(minutes % 60), out);
}

void AppendUnsigned(std::uint64_t value, std::string& out) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

void AppendSigned(std::int64_t value, std::string& out) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

// A signed count of 1/10000 units with exactly four decimals, as SQL Server writes money in xml.
void AppendMoney(std::int64_t units, std::string& out) {
  std::uint64_t magnitude = units < 0 ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
  if (units < 0) out.push_back('-');
  AppendUnsigned(magnitude / 10000, out);
  out.push_back('.');
  const auto fraction = static_cast<int>(magnitude % 10000);
  Append2(fraction / 100, out);
  Append2(fraction % 100, out);
}

void AppendBase64(ByteReader bytes, std::string& out) {
  const std::uint8_t* p = bytes.data();
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  for (; i + 3 <= n; i += 3) {
    const std::uint32_t v = (p[i] << 16) | (p[i + 1] << 8) | p[i + 2];
    out.push_back(kBase64Digits[v >> 18]);
    out.push_back(kBase64Digits[(v >> 12) & 63]);
    out.push_back(kBase64Digits[(v >> 6) & 63]);
    out.push_back(kBase64Digits[v & 63]);
  }
  if (n - i == 1) {
    const std::uint32_t v = p[i] << 16;
    out.push_back(kBase64Digits[v >> 18]);
    out.push_back(kBase64Digits[(v >> 12) & 63]);
    out += "==";
  } else if (n - i == 2) {
    const std::uint32_t v = (p[i] << 16) | (p[i + 1] << 8);
    out.push_back(kBase64Digits[v >> 18]);
    out.push_back(kBase64Digits[(v >> 12) & 63]);
    out.push_back(kBase64Digits[(v >> 6) & 63]);
    out.push_back('=');
  }
}

void AppendHex(ByteReader bytes, std::string& out) {
  for (const std::uint8_t b : bytes.span()) {
    out.push_back(kUpperHex[b >> 4]);
    out.push_back(kUpperHex[b & 15]);
  }
}

void AppendHexGroup(ByteReader bytes, std::size_t offset, std::size_t width, bool little_endian, std::string& out) {
  for (std::size_t i = 0; i < width; ++i) {
    const std::uint8_t b = bytes.u8_or(offset + (little_endian ? width - 1 - i : i));
    out.push_back(kUpperHex[b >> 4]);
    out.push_back(kUpperHex[b & 15]);
  }
}

// A uniqueidentifier in the usual 8-4-4-4-12 form, upper case, as SQL Server shows it.
void AppendUuid(ByteReader bytes, std::string& out) {
  AppendHexGroup(bytes, 0, 4, true, out);
  out.push_back('-');
  AppendHexGroup(bytes, 4, 2, true, out);
  out.push_back('-');
  AppendHexGroup(bytes, 6, 2, true, out);
  out.push_back('-');
  AppendHexGroup(bytes, 8, 2, false, out);
  out.push_back('-');
  AppendHexGroup(bytes, 10, 6, false, out);
}

// decimal / numeric: length, precision, scale, sign, 32-bit words (see the header). The SQL types
// keep their scale ("12.50"); xs:decimal is written in its canonical form, without trailing zeros.
bool AppendDecimal(ByteReader value, bool trim, std::string& out, std::string& error) {
  constexpr std::size_t kScaleOffset = 1;
  constexpr std::size_t kSignOffset = 2;
  constexpr std::size_t kWordsOffset = 3;
  const std::size_t length = value.size();
  if (length < kWordsOffset + 4 || (length - kWordsOffset) % 4 != 0 || length > kWordsOffset + 16) {
    error = "A decimal value has a length of " + std::to_string(length) + " bytes, which no decimal has.";
    return false;
  }
  unsigned __int128 magnitude = 0;
  for (std::size_t word = (length - kWordsOffset) / 4; word-- > 0;) {
    magnitude = (magnitude << 32) | value.u32_or(kWordsOffset + 4 * word);
  }
  std::size_t scale = value.u8_or(kScaleOffset);
  const bool negative = value.u8_or(kSignOffset) == 0 && magnitude != 0;
  std::string digits;
  do {
    digits.push_back(static_cast<char>('0' + static_cast<int>(magnitude % 10)));
    magnitude /= 10;
  } while (magnitude != 0);  // least significant digit first
  if (trim) {
    std::size_t zeros = 0;
    while (zeros < scale && zeros + 1 < digits.size() && digits[zeros] == '0') ++zeros;
    if (digits == "0") scale = 0;
    digits.erase(0, zeros);
    scale -= std::min(scale, zeros);
  }
  if (digits.size() <= scale) digits.append(scale + 1 - digits.size(), '0');
  if (negative) out.push_back('-');
  for (std::size_t i = digits.size(); i-- > 0;) {
    out.push_back(digits[i]);
    if (i == scale && scale > 0) out.push_back('.');
  }
  return true;
}

// datetime: days from 1900-01-01 and ticks of 1/300 second, as yyyy-mm-ddThh:mi:ss[.mmm].
void AppendSqlDateTime(std::int32_t days, std::uint32_t ticks, std::string& out) {
  // Round 1/300 s ticks to whole milliseconds the way SQL Server does (.003, .007, .010).
  const std::int64_t milliseconds = (static_cast<std::int64_t>(ticks) * 20 + 3) / 6;
  const std::int64_t total = (kDaysTo1900 + days) * 86'400'000LL + milliseconds;
  const std::int64_t day = FloorDiv(total, 86'400'000LL);
  const std::int64_t in_day = total - day * 86'400'000LL;
  AppendDate(CivilFromDays(day), out);
  out.push_back('T');
  const std::int64_t seconds = in_day / 1000;
  AppendClock(static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60), out);
  AppendMilliseconds(static_cast<int>(in_day % 1000), out);
}

// The 8-byte xs:dateTime, xs:date and xs:time values pack their fields into one number whose two
// lowest bits are flags:
//   dateTime = ((((((year + 9999) * 12 + month - 1) * 31 + day - 1) * 24 + hour) * 60 + minute) * 60
//              + second) * 1000 + millisecond, in UTC
//   date     = (((year + 9999) * 12 + month - 1) * 31 + day - 1) * (29 * 60) + zone minutes + 14 * 60,
//              where the zone minutes are the amount to add to reach UTC (so -300 reads "+05:00")
//   time     = ((hour * 60 + minute) * 60 + second) * 1000 + millisecond, in UTC
struct PackedClock {
  std::int64_t hour;  // what is left above the minutes: the hours, or hours and days
  int minute;
  int second;
  int millisecond;
};

PackedClock TakeClock(std::int64_t value) {
  PackedClock clock{};
  clock.millisecond = static_cast<int>(value % 1000);
  value /= 1000;
  clock.second = static_cast<int>(value % 60);
  value /= 60;
  clock.minute = static_cast<int>(value % 60);
  clock.hour = value / 60;
  return clock;
}

// The date from (year + 9999) * 12 + month - 1) * 31 + day - 1; nothing past the year 9999.
std::optional<CivilDate> TakeDate(std::int64_t value) {
  const int day = static_cast<int>(value % 31) + 1;
  value /= 31;
  const int month = static_cast<int>(value % 12) + 1;
  const std::int64_t year = value / 12 - 9999;
  if (year > 9999) return std::nullopt;
  return CivilDate{year, month, day};
}

void AppendClockAndZ(const PackedClock& clock, std::string& out) {
  AppendClock(static_cast<int>(clock.hour), clock.minute, clock.second, out);
  AppendMilliseconds(clock.millisecond, out);
  out.push_back('Z');
}

bool AppendXsdDateTime(std::int64_t packed, std::string& out) {
  if (packed < 0) return false;
  PackedClock clock = TakeClock(packed / 4);
  const auto date = TakeDate(clock.hour / 24);
  if (!date) return false;
  clock.hour %= 24;
  AppendDate(*date, out);
  out.push_back('T');
  AppendClockAndZ(clock, out);
  return true;
}

bool AppendXsdDate(std::int64_t packed, std::string& out) {
  if (packed < 0) return false;
  constexpr std::int64_t kZoneRange = 29 * 60;
  const std::int64_t value = packed / 4;
  const auto date = TakeDate(value / kZoneRange);
  if (!date) return false;
  AppendDate(*date, out);
  AppendZone(-(value % kZoneRange - 14 * 60), out);
  return true;
}

bool AppendXsdTime(std::int64_t packed, std::string& out) {
  if (packed < 0) return false;
  const PackedClock clock = TakeClock(packed / 4);
  if (clock.hour > 23) return false;
  AppendClockAndZ(clock, out);
  return true;
}

// The date, time and zone parts of the 2008 types: date, datetime2, time and their offset forms.
bool AppendDateTime2(std::uint8_t token, ByteReader value, std::string& out) {
  std::int64_t days = 0;
  std::int64_t time_ticks = 0;
  std::int64_t zone_minutes = 0;
  if (token == kXsdDate2) {
    days = static_cast<std::int64_t>(value.uint_n(0, kDate2Bytes).value_or(0));
  } else {
    const std::uint8_t scale = value.u8_or(0);
    if (scale >= kTimeBytesByScale.size()) return false;
    const std::size_t time_bytes = kTimeBytesByScale[scale];
    time_ticks = static_cast<std::int64_t>(value.uint_n(1, time_bytes).value_or(0)) * kTicksPerUnitByScale[scale];
    days = static_cast<std::int64_t>(value.uint_n(1 + time_bytes, kDate2Bytes).value_or(0));
    if (token == kXsdTimeOffset || token == kXsdDateTimeOffset || token == kXsdDateOffset) {
      zone_minutes = value.i16_or(1 + time_bytes + kDate2Bytes);
    }
  }
  // Stored in UTC; shown in the value's own zone. Days and ticks stay apart: 2^24 days of ticks
  // would not fit in 64 bits.
  const std::int64_t ticks = time_ticks + zone_minutes * kTicksPerMinute;
  const std::int64_t carry = FloorDiv(ticks, kTicksPerDay);
  const std::int64_t day = days + carry;
  const std::int64_t in_day = ticks - carry * kTicksPerDay;
  const bool has_date = token != kXsdTime2 && token != kXsdTimeOffset;
  const bool has_time = token != kXsdDate2 && token != kXsdDateOffset;
  const bool has_zone = token == kXsdTimeOffset || token == kXsdDateTimeOffset || token == kXsdDateOffset;
  if (has_date) AppendDate(CivilFromDays(kDaysTo0001 + day), out);
  if (has_date && has_time) out.push_back('T');
  if (has_time) AppendTickTime(in_day, out);
  if (has_zone) AppendZone(zone_minutes, out);
  return true;
}

// Length of a 2008 date/time value: the scale byte decides the width of the time part.
std::optional<std::size_t> DateTime2Length(std::uint8_t token, const Cursor& cursor) {
  if (token == kXsdDate2) return kDate2Bytes;
  const auto scale = cursor.Peek();
  if (!scale || *scale >= kTimeBytesByScale.size()) return std::nullopt;
  const std::size_t length = 1 + kTimeBytesByScale[*scale] + kDate2Bytes;
  return token == kXsdTime2 || token == kXsdDateTime2 ? length : length + kZoneBytes;
}

// Splits the shortest round-trip digits of a number into its digit string and decimal exponent.
template <typename Float>
void AppendShortest(Float value, int fixed_exponent_limit, std::string& out) {
  if (std::isnan(value)) {
    out += "NaN";
    return;
  }
  if (std::isinf(value)) {
    out += value < 0 ? "-INF" : "INF";
    return;
  }
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
  std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
  bool negative = false;
  if (!text.empty() && text.front() == '-') {
    negative = true;
    text.remove_prefix(1);
  }
  const std::size_t e = text.find('e');
  std::string digits;
  for (const char c : text.substr(0, e)) {
    if (c != '.') digits.push_back(c);
  }
  int exponent = 0;
  std::string_view exponent_text = text.substr(e + 1);
  if (!exponent_text.empty() && exponent_text.front() == '+') exponent_text.remove_prefix(1);
  std::from_chars(exponent_text.data(), exponent_text.data() + exponent_text.size(), exponent);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  if (negative) out.push_back('-');
  if (digits == "0") {
    out.push_back('0');
    return;
  }
  if (exponent > -5 && exponent < fixed_exponent_limit) {
    if (exponent < 0) {
      out += "0.";
      out.append(static_cast<std::size_t>(-exponent - 1), '0');
      out += digits;
    } else {
      const auto integer_digits = static_cast<std::size_t>(exponent) + 1;
      if (digits.size() <= integer_digits) {
        out += digits;
        out.append(integer_digits - digits.size(), '0');
      } else {
        out.append(digits, 0, integer_digits);
        out.push_back('.');
        out.append(digits, integer_digits);
      }
    }
    return;
  }
  out.push_back(digits[0]);
  if (digits.size() > 1) {
    out.push_back('.');
    out.append(digits, 1);
  }
  out.push_back('E');
  out.push_back(exponent < 0 ? '-' : '+');
  const int magnitude = exponent < 0 ? -exponent : exponent;
  if (magnitude < 10) out.push_back('0');
  out += std::to_string(magnitude);
}

bool Truncated(std::string& error) {
  error = "A value runs past the end of the data.";
  return false;
}

}  // namespace

bool IsValueToken(std::uint8_t token) {
  return (token >= kSqlSmallInt && token <= kSqlSmallMoney) || (token >= kSqlText && token <= kSqlNText) ||
         token == kSqlUdt || (token >= kXsdTimeOffset && token <= kXsdDate2) ||
         (token >= kXsdTime && token <= kXsdQName);
}

bool IsTextValueToken(std::uint8_t token) {
  switch (token) {
    case kSqlChar:
    case kSqlNChar:
    case kSqlVarChar:
    case kSqlNVarChar:
    case kSqlText:
    case kSqlNText:
      return true;
    default:
      return false;
  }
}

std::string FormatDouble(double value) {
  std::string out;
  AppendShortest(value, 15, out);
  return out;
}

std::string FormatFloat(float value) {
  std::string out;
  AppendShortest(value, 7, out);
  return out;
}

bool AppendValue(std::uint8_t token, Cursor& cursor, Escape escape, std::string& out, std::string& error) {
  // Fixed-size values first: take the payload, then format it.
  std::size_t fixed = 0;
  switch (token) {
    case kSqlBit: case kSqlTinyInt: case kXsdBoolean: case kXsdByte: fixed = 1; break;
    case kSqlSmallInt: case kXsdUnsignedShort: fixed = 2; break;
    case kSqlInt: case kXsdUnsignedInt: case kSqlReal: case kSqlSmallMoney: case kSqlSmallDateTime: fixed = 4; break;
    case kSqlBigInt: case kXsdUnsignedLong: case kSqlFloat: case kSqlMoney: case kSqlDateTime:
    case kXsdTime: case kXsdDateTime: case kXsdDate: fixed = 8; break;
    case kSqlUuid: fixed = 16; break;
    default: break;
  }
  if (fixed != 0) {
    const auto value = cursor.Take(fixed);
    if (!value) return Truncated(error);
    const ByteReader& v = *value;
    switch (token) {
      case kSqlBit: out.push_back(v.u8_or(0) != 0 ? '1' : '0'); return true;
      case kXsdBoolean: out += v.u8_or(0) != 0 ? "true" : "false"; return true;
      case kSqlTinyInt: AppendUnsigned(v.u8_or(0), out); return true;
      case kXsdByte: AppendSigned(v.i8(0).value_or(0), out); return true;
      case kSqlSmallInt: AppendSigned(v.i16_or(0), out); return true;
      case kXsdUnsignedShort: AppendUnsigned(v.u16_or(0), out); return true;
      case kSqlInt: AppendSigned(v.i32_or(0), out); return true;
      case kXsdUnsignedInt: AppendUnsigned(v.u32_or(0), out); return true;
      case kSqlBigInt: AppendSigned(v.i64_or(0), out); return true;
      case kXsdUnsignedLong: AppendUnsigned(v.u64_or(0), out); return true;
      case kSqlReal: AppendShortest(std::bit_cast<float>(v.u32_or(0)), 7, out); return true;
      case kSqlFloat: AppendShortest(std::bit_cast<double>(v.u64_or(0)), 15, out); return true;
      case kSqlMoney: AppendMoney(v.i64_or(0), out); return true;
      case kSqlSmallMoney: AppendMoney(v.i32_or(0), out); return true;
      case kSqlUuid: AppendUuid(v, out); return true;
      case kSqlDateTime: AppendSqlDateTime(v.i32_or(0), v.u32_or(4), out); return true;
      case kSqlSmallDateTime:
        // Days, then minutes of the day.
        AppendSqlDateTime(v.u16_or(0), v.u16_or(2) * 60u * 300u, out);
        return true;
      case kXsdTime:
      case kXsdDateTime:
      case kXsdDate: {
        const std::int64_t packed = v.i64_or(0);
        const bool ok = token == kXsdTime       ? AppendXsdTime(packed, out)
                        : token == kXsdDateTime ? AppendXsdDateTime(packed, out)
                                                : AppendXsdDate(packed, out);
        if (!ok) error = "A date or time value lies outside the range of dates.";
        return ok;
      }
      default: break;
    }
  }

  switch (token) {
    case kSqlNVarChar: {
      const auto units = cursor.Mb64();
      if (!units) return Truncated(error);
      const auto text = cursor.Utf16(*units);
      if (!text) return Truncated(error);
      AppendUtf16(*text, text->size() / 2, escape, out);
      return true;
    }
    case kSqlNChar:
    case kSqlNText: {
      const auto text = cursor.TextData();
      if (!text) return Truncated(error);
      AppendUtf16(*text, text->size() / 2, escape, out);
      return true;
    }
    case kSqlChar:
    case kSqlVarChar:
    case kSqlText: {
      constexpr std::size_t kCodePageBytes = 4;
      const auto length = cursor.Mb64();
      if (!length) return Truncated(error);
      const auto value = cursor.Take(*length);
      if (!value) return Truncated(error);
      if (value->size() < kCodePageBytes) {
        error = "An 8-bit text value is too short to hold its code page.";
        return false;
      }
      AppendCodePageText(value->tail(kCodePageBytes), value->u32_or(0), escape, out);
      return true;
    }
    case kSqlBinary:
    case kSqlVarBinary:
    case kSqlImage:
    case kSqlUdt:
    case kXsdBase64:
    case kXsdBinHex: {
      const auto length = cursor.Mb64();
      if (!length) return Truncated(error);
      const auto value = cursor.Take(*length);
      if (!value) return Truncated(error);
      if (token == kXsdBinHex) {
        AppendHex(*value, out);
      } else {
        AppendBase64(*value, out);
      }
      return true;
    }
    case kSqlDecimal:
    case kSqlNumeric:
    case kXsdDecimal: {
      const auto length = cursor.Mb64();
      if (!length) return Truncated(error);
      const auto value = cursor.Take(*length);
      if (!value) return Truncated(error);
      return AppendDecimal(*value, token == kXsdDecimal, out, error);
    }
    case kXsdTimeOffset:
    case kXsdDateTimeOffset:
    case kXsdDateOffset:
    case kXsdTime2:
    case kXsdDateTime2:
    case kXsdDate2: {
      const auto length = DateTime2Length(token, cursor);
      if (!length) {
        if (cursor.at_end()) return Truncated(error);
        error = "A date or time value has a scale above 7.";
        return false;
      }
      const auto value = cursor.Take(*length);
      if (!value) return Truncated(error);
      return AppendDateTime2(token, *value, out);
    }
    default: break;
  }
  char hex[8];
  std::snprintf(hex, sizeof hex, "%02X", token);
  error = std::string("Token 0x") + hex + " is not a value.";
  return false;
}

}  // namespace portalmend::binxml
