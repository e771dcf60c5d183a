#pragma once
// Text of the six SQL Server date and time types, from their stored bytes.
//
// Stored layouts (all integers little-endian):
//
//   | type              | bytes   | layout                                                          |
//   |-------------------|---------|-----------------------------------------------------------------|
//   | datetime          | 8       | 0-3: signed time of day in 1/300 s; 4-7: signed days from 1900-01-01 |
//   | smalldatetime     | 4       | 0-1: signed minutes since midnight; 2-3: unsigned days from 1900-01-01 |
//   | date              | 3       | unsigned 24-bit days from 0001-01-01                            |
//   | time(s)           | 3, 4, 5 | unsigned time of day in units of 10^-s s, all bytes             |
//   | datetime2(s)      | 6, 7, 8 | time of day in the first length-3 bytes, then the 3-byte date   |
//   | datetimeoffset(s) | 8, 9, 10| time of day in the first length-5 bytes, the 3-byte date, then  |
//   |                   |         | a signed 16-bit offset from UTC in minutes                      |
//
// datetimeoffset stores UTC; the text shows the local time (UTC plus the offset, carried into
// the date) followed by the offset. No other time zone or locale conversion takes place.
//
// Every function returns the empty text when the bytes are too short to hold the value, and
// " " (one space) when the value lies outside the range the type can show (year 1 to 9999,
// hour 0 to 23, minute and second 0 to 59).

#include <cstdint>
#include <optional>
#include <string>

#include "storage/byte_reader.h"

namespace portalmend {

// The text shown for a date or time value that lies outside the representable range.
inline constexpr char kOutOfRangeDateText[] = " ";

// Days from 0001-01-01 to 1900-01-01: the base of datetime and smalldatetime day counts.
inline constexpr std::int64_t kDaysTo1900 = 693595;

// The largest scale (digits of fractional seconds) of time, datetime2 and datetimeoffset.
inline constexpr int kMaxTimeScale = 7;

struct CalendarDate {
  int year = 1;
  int month = 1;  // 1 to 12
  int day = 1;    // 1 to 31
};

// The calendar date of day number `days` (day 0 is 0001-01-01), or nothing for a negative
// day number or one past the year 1000000.
std::optional<CalendarDate> date_from_day_number(std::int64_t days);

// Bytes that the time part of a time, datetime2 or datetimeoffset value of scale `scale`
// takes: 3 for scales 0-2, 4 for 3-4, 5 for 5-7.
int time_bytes_for_scale(int scale);

// datetime (8 bytes): YYYY-MM-DD HH:MM:SS; fractions of a second are not shown.
std::string datetime_text(const ByteReader& bytes);

// smalldatetime (4 bytes): YYYY-MM-DD HH:MM:SS, seconds always 00.
std::string smalldatetime_text(const ByteReader& bytes);

// date (3 bytes): YYYY-MM-DD.
std::string date_text(const ByteReader& bytes);

// time(scale) stored in `length` bytes (3 to 5): HH:MM:SS, with .fraction of exactly
// `scale` digits when the scale is above 0.
std::string time_text(const ByteReader& bytes, int scale, int length);

// datetime2(scale) stored in `length` bytes (6 to 8): YYYY-MM-DD HH:MM:SS[.fraction].
std::string datetime2_text(const ByteReader& bytes, int scale, int length);

// datetimeoffset(scale) stored in `length` bytes (8 to 10): the local date and time, then
// " +H:M" (scale 0) or ".fraction  +H:M" (scale above 0); a negative offset shows "-H:M".
std::string datetimeoffset_text(const ByteReader& bytes, int scale, int length);

}  // namespace portalmend
