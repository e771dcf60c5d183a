#include "values/date_time.h"

#include <gtest/gtest.h>

#include "values/test_bytes.h"

namespace portalmend {
namespace {

using test::Bytes;
using test::cat;
using test::le;

std::string date_string(std::int64_t days) {
  const std::optional<CalendarDate> d = date_from_day_number(days);
  if (!d) return "none";
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", d->year, d->month, d->day);
  return text;
}

TEST(DayNumber, GivesTheGregorianDate) {
  struct Case { std::int64_t days; const char* text; };
  const Case cases[] = {
      {0, "0001-01-01"},        {30, "0001-01-31"},       {31, "0001-02-01"},
      {364, "0001-12-31"},      {365, "0002-01-01"},      {693595, "1900-01-01"},
      {730119, "2000-01-01"},   {730119 + 59, "2000-02-29"}, {730484, "2000-12-31"},
      {738944, "2024-02-29"},   {738884, "2023-12-31"},   {766703, "2100-03-01"},
      {766703 - 1, "2100-02-28"}, {3652058, "9999-12-31"}, {3652059, "10000-01-01"},
      {146096, "0400-12-31"},   {146097, "0401-01-01"},   {-1, "none"},
  };
  for (const Case& c : cases) EXPECT_EQ(date_string(c.days), c.text) << c.days;
}

TEST(DateText, ShowsYearMonthDayUpToTheLastDayOfYear9999) {
  struct Case { Bytes bytes; const char* text; };
  const Case cases[] = {
      {le(0, 3), "0001-01-01"},
      {le(3652058, 3), "9999-12-31"},
      {le(3652059, 3), " "},
      {le(0xFFFFFF, 3), " "},
      {le(730119, 3), "2000-01-01"},
      {le(738944, 3), "2024-02-29"},
      {le(0, 2), ""},
      {{}, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(date_text(ByteReader(c.bytes)), c.text);
}

// datetime: time of day in 1/300 s, then days since 1900-01-01.
Bytes datetime_bytes(std::int64_t ticks, std::int64_t days) { return cat({le(ticks, 4), le(days, 4)}); }

TEST(DatetimeText, ShowsWholeSecondsFromThreeHundredthsAndDaysFrom1900) {
  struct Case { Bytes bytes; const char* text; };
  const Case cases[] = {
      {datetime_bytes(0, 0), "1900-01-01 00:00:00"},
      {datetime_bytes(299, 0), "1900-01-01 00:00:00"},  // just under one second
      {datetime_bytes(300, 0), "1900-01-01 00:00:01"},
      {datetime_bytes(0, -53690), "1753-01-01 00:00:00"},
      {datetime_bytes(25919999, 2958463), "9999-12-31 23:59:59"},  // 23:59:59.997
      {datetime_bytes(300 * 3600 * 13 + 300 * 61, 36523), "1999-12-31 13:01:01"},
      {datetime_bytes(0, 2958464), " "},                 // 10000-01-01
      {datetime_bytes(300 * 86400, 0), " "},             // hour 24
      {datetime_bytes(0, -693596), " "},                 // before 0001-01-01
      {datetime_bytes(0xFFFFFED4, 0), " "},              // time of day -1 s
      {Bytes(7, 0), ""},
  };
  for (const Case& c : cases) EXPECT_EQ(datetime_text(ByteReader(c.bytes)), c.text);
}

TEST(SmallDatetimeText, ShowsMinutesSinceMidnightAndSecondsZero) {
  struct Case { std::int64_t minutes; std::int64_t days; const char* text; };
  const Case cases[] = {
      {0, 0, "1900-01-01 00:00:00"},
      {1439, 0, "1900-01-01 23:59:00"},
      {1440, 0, " "},
      {0xFFFF, 0, " "},  // -1 minute
      {1439, 65535, "2079-06-06 23:59:00"},
      {754, 36523, "1999-12-31 12:34:00"},
  };
  for (const Case& c : cases) {
    const Bytes bytes = cat({le(c.minutes, 2), le(c.days, 2)});
    EXPECT_EQ(smalldatetime_text(ByteReader(bytes)), c.text) << c.minutes << " " << c.days;
  }
  EXPECT_EQ(smalldatetime_text(ByteReader(Bytes(3, 0))), "");
}

TEST(TimeText, ShowsTheFractionWithExactlyScaleDigits) {
  struct Case { std::uint64_t units; int scale; int length; const char* text; };
  const Case cases[] = {
      {0, 0, 3, "00:00:00"},
      {86399, 0, 3, "23:59:59"},
      {86400, 0, 3, " "},
      {36000 * 10 + 5, 1, 3, "10:00:00.5"},
      {3600005, 2, 3, "10:00:00.05"},
      {36000123, 3, 4, "10:00:00.123"},
      {360001234, 4, 4, "10:00:00.1234"},
      {3600012345ull, 5, 5, "10:00:00.12345"},
      {36000123456ull, 6, 5, "10:00:00.123456"},
      {360000012345ull, 7, 5, "10:00:00.0012345"},
      {863999999999ull, 7, 5, "23:59:59.9999999"},
      {864000000000ull, 7, 5, " "},
      {0, 7, 5, "00:00:00.0000000"},
      {0, 8, 5, ""},   // no such scale
      {0, 0, 6, ""},   // no such length
      {0, 0, 2, ""},
  };
  for (const Case& c : cases) {
    const Bytes bytes = le(c.units, static_cast<std::size_t>(std::max(c.length, 0)));
    EXPECT_EQ(time_text(ByteReader(bytes), c.scale, c.length), c.text) << c.units << " scale " << c.scale;
  }
  const Bytes short_value = le(0, 4);
  EXPECT_EQ(time_text(ByteReader(short_value), 7, 5), "");
}

TEST(Datetime2Text, JoinsTheDateAndTheScaledTime) {
  struct Case { std::uint64_t units; int scale; std::uint64_t days; const char* text; };
  const Case cases[] = {
      {360005000000ull, 7, 730119, "2000-01-01 10:00:00.5000000"},
      {360000012345ull, 7, 730119, "2000-01-01 10:00:00.0012345"},
      {0, 0, 0, "0001-01-01 00:00:00"},
      {86399, 0, 3652058, "9999-12-31 23:59:59"},
      {863999999999ull, 7, 3652058, "9999-12-31 23:59:59.9999999"},
      {0, 0, 3652059, " "},
      {86400, 0, 0, " "},
      {1234, 3, 738944, "2024-02-29 00:00:01.234"},
  };
  for (const Case& c : cases) {
    const int length = time_bytes_for_scale(c.scale) + 3;
    const Bytes bytes = cat({le(c.units, static_cast<std::size_t>(length - 3)), le(c.days, 3)});
    EXPECT_EQ(datetime2_text(ByteReader(bytes), c.scale, length), c.text) << c.units;
  }
  const Bytes seven = Bytes(7, 0);
  EXPECT_EQ(datetime2_text(ByteReader(seven), 7, 8), "");
  EXPECT_EQ(datetime2_text(ByteReader(seven), 0, 5), "");
}

TEST(DatetimeOffsetText, ShowsLocalTimeCarriedIntoTheDateAndASignedOffset) {
  struct Case { std::uint64_t units; int scale; std::uint64_t days; int offset; const char* text; };
  const Case cases[] = {
      {36000, 0, 730119, 330, "2000-01-01 15:30:00 +5:30"},
      {36000, 0, 730119, 0, "2000-01-01 10:00:00 +0:0"},
      {36000, 0, 730119, -330, "2000-01-01 04:30:00 -5:30"},
      {36000, 0, 730119, -45, "2000-01-01 09:15:00 -0:45"},
      {23 * 3600 + 1800, 0, 730119, 60, "2000-01-02 00:30:00 +1:0"},   // crosses midnight forwards
      {1800, 0, 730119, -60, "1999-12-31 23:30:00 -1:0"},              // crosses midnight backwards
      {23 * 3600, 0, 730484, 120, "2001-01-01 01:00:00 +2:0"},         // into the next year
      {360005000000ull, 7, 730119, 330, "2000-01-01 15:30:00.5000000  +5:30"},
      {360005000000ull, 7, 730119, -330, "2000-01-01 04:30:00.5000000  -5:30"},
      {1234, 3, 738944, 840, "2024-02-29 14:00:01.234  +14:0"},
      {23 * 3600, 0, 3652058, 120, " "},                               // past 9999-12-31
      {0, 0, 0, -1, " "},                                              // before 0001-01-01
      {86400, 0, 730119, 0, " "},                                      // hour 24 before the offset
  };
  for (const Case& c : cases) {
    const int length = time_bytes_for_scale(c.scale) + 5;
    const Bytes bytes = cat({le(c.units, static_cast<std::size_t>(length - 5)), le(c.days, 3),
                             le(static_cast<std::uint64_t>(static_cast<std::int64_t>(c.offset)), 2)});
    EXPECT_EQ(datetimeoffset_text(ByteReader(bytes), c.scale, length), c.text) << c.units << " " << c.offset;
  }
  const Bytes nine = Bytes(9, 0);
  EXPECT_EQ(datetimeoffset_text(ByteReader(nine), 7, 10), "");
  EXPECT_EQ(datetimeoffset_text(ByteReader(nine), 0, 7), "");
}

}  // namespace
}  // namespace portalmend
