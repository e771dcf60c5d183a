#include "values/date_time.h"

#include <cstdio>
#include <cstdlib>

namespace portalmend {

namespace {

// datetime fields.
constexpr std::size_t kDatetimeTimeOffset = 0;
constexpr std::size_t kDatetimeDayOffset = 4;
constexpr std::size_t kDatetimeLength = 8;
// One datetime tick (1/300 s) in seconds, as the stored time of day is scaled.
constexpr double kSecondsPerDatetimeTick = 0.00333333335;

// smalldatetime fields.
constexpr std::size_t kSmallDatetimeMinuteOffset = 0;
constexpr std::size_t kSmallDatetimeDayOffset = 2;
constexpr std::size_t kSmallDatetimeLength = 4;

// date, and the date part of datetime2 and datetimeoffset.
constexpr std::size_t kDateLength = 3;
// The offset from UTC at the end of a datetimeoffset value.
constexpr std::size_t kOffsetLength = 2;

constexpr int kMaxYear = 9999;
constexpr std::int64_t kMinutesPerDay = 24 * 60;

// Days in 400, 100, 4 and 1 years of the Gregorian calendar.
constexpr std::int64_t kDaysPer400Years = 146097;
constexpr std::int64_t kDaysPer100Years = 36524;
constexpr std::int64_t kDaysPer4Years = 1461;
constexpr std::int64_t kDaysPerYear = 365;

// First day of the year of each month, and the year length as the 13th entry.
constexpr int kMonthStartOrdinary[13] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};
constexpr int kMonthStartLeap[13] = {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366};

constexpr std::int64_t kPowersOfTen[kMaxTimeScale + 1] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};

bool is_leap_year(std::int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// A time of day split into its fields.
struct TimeOfDay {
  std::int64_t hour = 0;
  std::int64_t minute = 0;
  std::int64_t second = 0;
  std::int64_t fraction = 0;  // in units of 10^-scale seconds
};

TimeOfDay time_from_seconds(std::int64_t seconds) {
  TimeOfDay t;
  t.hour = seconds / 3600;
  t.minute = (seconds / 60) % 60;
  t.second = seconds % 60;
  return t;
}

bool time_in_range(const TimeOfDay& t) {
  return t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 59;
}

// The date of day number `days`, or nothing when the year it falls in cannot be shown.
std::optional<CalendarDate> showable_date(std::int64_t days) {
  const std::optional<CalendarDate> date = date_from_day_number(days);
  if (!date || date->year < 1 || date->year > kMaxYear) return std::nullopt;
  return date;
}

std::string date_part(const CalendarDate& d) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
  return text;
}

std::string time_part(const TimeOfDay& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(t.hour), static_cast<int>(t.minute),
                static_cast<int>(t.second));
  return text;
}

// ".fraction" with exactly `scale` digits, or nothing for scale 0.
std::string fraction_part(std::int64_t fraction, int scale) {
  if (scale <= 0) return {};
  char text[32];
  std::snprintf(text, sizeof text, ".%0*lld", scale, static_cast<long long>(fraction));
  return text;
}

// A time of day of `scale` stored in bytes [0, length) of `bytes`.
std::optional<TimeOfDay> scaled_time(const ByteReader& bytes, int scale, std::size_t length) {
  if (scale < 0 || scale > kMaxTimeScale) return std::nullopt;
  const std::optional<std::uint64_t> units = bytes.uint_n(0, length);
  if (!units) return std::nullopt;
  const std::int64_t unit = kPowersOfTen[scale];
  const auto value = static_cast<std::int64_t>(*units);
  TimeOfDay t = time_from_seconds(value / unit);
  t.fraction = value % unit;
  return t;
}

// Checks a time, datetime2 or datetimeoffset storage length and returns the bytes its time
// part takes (the length less `trailer`), or nothing when the length does not fit the type.
std::optional<std::size_t> time_part_length(int length, int trailer) {
  const int time_bytes = length - trailer;
  if (time_bytes < 3 || time_bytes > 5) return std::nullopt;
  return static_cast<std::size_t>(time_bytes);
}

}  // namespace

std::optional<CalendarDate> date_from_day_number(std::int64_t days) {
  if (days < 0) return std::nullopt;
  const std::int64_t q400 = days / kDaysPer400Years;
  std::int64_t r = days % kDaysPer400Years;
  std::int64_t q100 = r / kDaysPer100Years;
  if (q100 == 4) q100 = 3;
  r -= q100 * kDaysPer100Years;
  const std::int64_t q4 = r / kDaysPer4Years;
  r %= kDaysPer4Years;
  std::int64_t q1 = r / kDaysPerYear;
  if (q1 > 3) q1 = 3;
  r -= q1 * kDaysPerYear;
  const std::int64_t year = q400 * 400 + q100 * 100 + q4 * 4 + q1 + 1;
  if (year > 1000000) return std::nullopt;
  const int* month_start = is_leap_year(year) ? kMonthStartLeap : kMonthStartOrdinary;
  int month = 0;
  while (month < 11 && r >= month_start[month + 1]) ++month;
  CalendarDate date;
  date.year = static_cast<int>(year);
  date.month = month + 1;
  date.day = static_cast<int>(r - month_start[month]) + 1;
  return date;
}

int time_bytes_for_scale(int scale) {
  if (scale <= 2) return 3;
  if (scale <= 4) return 4;
  return 5;
}

std::string datetime_text(const ByteReader& bytes) {
  if (!bytes.has(0, kDatetimeLength)) return {};
  const std::int32_t ticks = bytes.i32_or(kDatetimeTimeOffset);
  const std::int32_t day_count = bytes.i32_or(kDatetimeDayOffset);
  const auto seconds = static_cast<std::int64_t>(ticks * kSecondsPerDatetimeTick);
  const TimeOfDay t = time_from_seconds(seconds);
  const std::optional<CalendarDate> date = showable_date(day_count + kDaysTo1900);
  if (!date || !time_in_range(t)) return kOutOfRangeDateText;
  return date_part(*date) + " " + time_part(t);
}

std::string smalldatetime_text(const ByteReader& bytes) {
  if (!bytes.has(0, kSmallDatetimeLength)) return {};
  const std::int16_t minutes = bytes.i16_or(kSmallDatetimeMinuteOffset);
  const std::uint16_t day_count = bytes.u16_or(kSmallDatetimeDayOffset);
  TimeOfDay t;
  t.hour = minutes / 60;
  t.minute = minutes % 60;
  const std::optional<CalendarDate> date = showable_date(std::int64_t{day_count} + kDaysTo1900);
  if (!date || !time_in_range(t)) return kOutOfRangeDateText;
  return date_part(*date) + " " + time_part(t);
}

std::string date_text(const ByteReader& bytes) {
  const std::optional<std::uint64_t> day_count = bytes.uint_n(0, kDateLength);
  if (!day_count) return {};
  const std::optional<CalendarDate> date = showable_date(static_cast<std::int64_t>(*day_count));
  if (!date) return kOutOfRangeDateText;
  return date_part(*date);
}

std::string time_text(const ByteReader& bytes, int scale, int length) {
  const std::optional<std::size_t> time_bytes = time_part_length(length, 0);
  if (!time_bytes) return {};
  const std::optional<TimeOfDay> t = scaled_time(bytes, scale, *time_bytes);
  if (!t) return {};
  if (!time_in_range(*t)) return kOutOfRangeDateText;
  return time_part(*t) + fraction_part(t->fraction, scale);
}

std::string datetime2_text(const ByteReader& bytes, int scale, int length) {
  const std::optional<std::size_t> time_bytes = time_part_length(length, static_cast<int>(kDateLength));
  if (!time_bytes) return {};
  const std::optional<TimeOfDay> t = scaled_time(bytes, scale, *time_bytes);
  const std::optional<std::uint64_t> day_count = bytes.uint_n(*time_bytes, kDateLength);
  if (!t || !day_count) return {};
  const std::optional<CalendarDate> date = showable_date(static_cast<std::int64_t>(*day_count));
  if (!date || !time_in_range(*t)) return kOutOfRangeDateText;
  return date_part(*date) + " " + time_part(*t) + fraction_part(t->fraction, scale);
}

std::string datetimeoffset_text(const ByteReader& bytes, int scale, int length) {
  const std::optional<std::size_t> time_bytes =
      time_part_length(length, static_cast<int>(kDateLength + kOffsetLength));
  if (!time_bytes) return {};
  const std::optional<TimeOfDay> utc = scaled_time(bytes, scale, *time_bytes);
  const std::optional<std::uint64_t> day_count = bytes.uint_n(*time_bytes, kDateLength);
  const std::optional<std::int16_t> offset = bytes.i16(*time_bytes + kDateLength);
  if (!utc || !day_count || !offset) return {};
  if (!time_in_range(*utc)) return kOutOfRangeDateText;

  // Local time = UTC + offset; whole days carry into the date in either direction.
  std::int64_t local_minutes = utc->hour * 60 + utc->minute + *offset;
  std::int64_t day_shift = local_minutes / kMinutesPerDay;
  local_minutes %= kMinutesPerDay;
  if (local_minutes < 0) {
    local_minutes += kMinutesPerDay;
    --day_shift;
  }
  TimeOfDay local = *utc;
  local.hour = local_minutes / 60;
  local.minute = local_minutes % 60;
  const std::optional<CalendarDate> date = showable_date(static_cast<std::int64_t>(*day_count) + day_shift);
  if (!date) return kOutOfRangeDateText;

  const int offset_magnitude = std::abs(static_cast<int>(*offset));
  char offset_text[32];
  std::snprintf(offset_text, sizeof offset_text, "%c%d:%d", *offset < 0 ? '-' : '+', offset_magnitude / 60,
                offset_magnitude % 60);
  std::string text = date_part(*date) + " " + time_part(local);
  if (scale > 0) {
    text += fraction_part(local.fraction, scale) + "  ";
  } else {
    text += " ";
  }
  return text + offset_text;
}

}  // namespace portalmend
