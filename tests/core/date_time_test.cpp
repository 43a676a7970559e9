#include "core/date_time.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

namespace corvane {
namespace {

std::string DateOf(int year, int month, int day) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", year, month, day);
  return buffer;
}

std::string ClockOf(int hour, int minute, int second) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", hour, minute, second);
  return buffer;
}

void ExpectRefused(const std::string& text) {
  DateTime value(12345);
  try {
    value.Parse(text);
    ADD_FAILURE() << "\"" << text << "\" was accepted as " << value.Seconds();
  } catch (const std::invalid_argument& error) {
    EXPECT_STREQ(error.what(), "Invalid date format") << text;
  }
  EXPECT_EQ(value.Seconds(), 12345) << "a refused text changed the value: " << text;
}

TEST(DateTimeTest, KnownInstants) {
  DateTime value;
  EXPECT_EQ(value.Seconds(), 0);
  EXPECT_EQ(value.FromCalendar(1970, 1, 1, 0, 0, 0), 0);
  EXPECT_EQ(value.FromCalendar(2011, 5, 3, 22, 0, 0), 1304460000);
  EXPECT_EQ(value.Seconds(), 1304460000);
  EXPECT_EQ(value.DateText(), "2011-05-03");
  EXPECT_EQ(value.TimeText(), "22:00:00");
  // Past the 32-bit limit of 2038-01-19 03:14:07.
  EXPECT_EQ(value.FromCalendar(2038, 1, 19, 3, 14, 8), std::int64_t{2147483648});
  EXPECT_EQ(DateTime(std::int64_t{4102444800}).DateText(), "2100-01-01");
  // Before 1970 the value still rounds to the nearest second.
  EXPECT_EQ(value.FromCalendar(1969, 12, 31, 12, 0, 0), -43200);
  EXPECT_EQ(value.FromCalendar(1969, 12, 31, 23, 59, 59), -1);
}

TEST(DateTimeTest, JulianDayUsesTheJulianCalendarBeforeTheCorrection) {
  EXPECT_EQ(DateTime::JulianDay(1582, 10, 4, 12, 0, 0), 2299160.0);
  EXPECT_EQ(DateTime::JulianDay(1970, 1, 1, 0, 0, 0), 2440587.5);
  EXPECT_EQ(DateTime::JulianDay(2000, 1, 1, 12, 0, 0), 2451545.0);
}

TEST(DateTimeTest, ToCalendarSkipsOutputsNotAskedFor) {
  const DateTime value(1304460000 + 3661);
  int year = 0, day = 0, second = 0;
  value.ToCalendar(&year, nullptr, &day, nullptr, nullptr, &second);
  EXPECT_EQ(year, 2011);
  EXPECT_EQ(day, 3);
  EXPECT_EQ(second, 1);
  int month = 0, hour = 0, minute = 0;
  value.ToCalendar(nullptr, &month, nullptr, &hour, &minute, nullptr);
  EXPECT_EQ(month, 5);
  EXPECT_EQ(hour, 23);
  EXPECT_EQ(minute, 1);
}

TEST(DateTimeTest, ParseReadsDatesAndLeadingParts) {
  DateTime midnight;
  midnight.FromCalendar(2011, 5, 3, 0, 0, 0);
  EXPECT_EQ(SecondsFromText("2011-05-03"), midnight.Seconds());
  EXPECT_EQ(SecondsFromText("2011-05-03 22"), midnight.Seconds() + 22 * 3600);
  EXPECT_EQ(SecondsFromText("2011-05-03 22:00:00"), 1304460000);
  // Any one character separates, white space may precede each number, and
  // text after the seconds is ignored.
  EXPECT_EQ(SecondsFromText("2011/05/03T22.00.00"), 1304460000);
  EXPECT_EQ(SecondsFromText("  2011-05-03  22:00:00 UTC"), 1304460000);
  EXPECT_EQ(SecondsFromText("2011-5-3 22:0:0"), 1304460000);
  EXPECT_EQ(SecondsFromText("2012-02-29 23:59:59"), 1330559999);
  EXPECT_EQ(SecondsFromText("2000-02-29"), 951782400);
  EXPECT_EQ(SecondsFromText("1970-01-01 00:00:00"), 0);
  EXPECT_EQ(SecondsFromText("9999-12-31 23:59:59"), std::int64_t{253402300799});
}

TEST(DateTimeTest, ParseRefusesTextsThatNameNoRealInstant) {
  for (const char* text : {"", "   ", "2011-05", "2011-05-", "May 3", "2011", "x2011-05-03",
                           "2011--05-03", "20110503"}) {
    ExpectRefused(text);
  }
  // Dates and clock times that do not exist.
  for (const char* text :
       {"2011-02-29", "2011-02-30", "2100-02-29", "2011-04-31", "2011-13-01", "2011-00-10",
        "2011-05-00", "2011-05-32", "2011-05-03 24:00:00", "2011-05-03 23:60:00",
        "2011-05-03 23:59:60", "2011-05-03 -1:00:00", "2011-05-03 22:-5:00"}) {
    ExpectRefused(text);
  }
  // Outside 1970 to 9999, and numbers beyond int.
  for (const char* text : {"1969-12-31 23:59:59", "0000-01-01", "-2011-05-03", "10000-01-01",
                           "99999999999-01-01", "2011-99999999999-01"}) {
    ExpectRefused(text);
  }
}

TEST(DateTimeTest, ParseCalendarFieldsSplitsAtDashesColonsAndBlanks) {
  const CalendarFields date = ParseCalendarFields("2011-05-03");
  EXPECT_EQ(date.year, 2011);
  EXPECT_EQ(date.month, 5);
  EXPECT_EQ(date.day, 3);
  EXPECT_EQ(date.hour, 0);
  EXPECT_EQ(date.minute, 0);
  EXPECT_EQ(date.second, 0);
  EXPECT_EQ(date.isdst, 0);
  const CalendarFields full = ParseCalendarFields("2011-05-03 22:07:09");
  EXPECT_EQ(full.hour, 22);
  EXPECT_EQ(full.minute, 7);
  EXPECT_EQ(full.second, 9);
  const CalendarFields runs = ParseCalendarFields("  2011--05 :03");
  EXPECT_EQ(runs.year, 2011);
  EXPECT_EQ(runs.month, 5);
  EXPECT_EQ(runs.day, 3);
  const CalendarFields junk = ParseCalendarFields("abc-5x");
  EXPECT_EQ(junk.year, 0);
  EXPECT_EQ(junk.month, 5);
  EXPECT_EQ(junk.day, 0);
  // Only the first 99 characters count.
  const CalendarFields cut = ParseCalendarFields(std::string(96, ' ') + "2011-05-03");
  EXPECT_EQ(cut.year, 201);
  EXPECT_EQ(cut.month, 0);
}

TEST(DateTimeTest, NextDayStartAndCalendarDiffers) {
  CalendarFields fields = ParseCalendarFields("2011-12-31 23:59:59");
  NextDayStart(fields);
  EXPECT_EQ(DateOf(fields.year, fields.month, fields.day), "2012-01-01");
  EXPECT_EQ(fields.hour + fields.minute + fields.second, 0);
  fields = ParseCalendarFields("2012-02-28 10:00:00");
  NextDayStart(fields);
  EXPECT_EQ(DateOf(fields.year, fields.month, fields.day), "2012-02-29");
  fields = ParseCalendarFields("1969-12-31 12:00:00");
  NextDayStart(fields);
  EXPECT_EQ(DateOf(fields.year, fields.month, fields.day), "1970-01-01");

  CalendarFields a = ParseCalendarFields("2011-05-03 22:00:00");
  CalendarFields b = a;
  b.weekday = 3;  // not compared
  b.yearday = 100;
  EXPECT_FALSE(CalendarDiffers(a, b));
  for (int CalendarFields::*member :
       {&CalendarFields::second, &CalendarFields::minute, &CalendarFields::hour,
        &CalendarFields::day, &CalendarFields::month, &CalendarFields::year}) {
    CalendarFields c = a;
    c.*member += 1;
    EXPECT_TRUE(CalendarDiffers(a, c));
  }
}

// Wild fields from a token split must not overflow anything (the sanitizers
// watch this); whatever date results is still a valid breakdown.
TEST(DateTimeTest, WildFieldsDoNotOverflow) {
  CalendarFields fields = ParseCalendarFields("99999999999-99999999999-99999999999 99999999999");
  EXPECT_EQ(fields.year, std::numeric_limits<int>::max());
  NextDayStart(fields);
  EXPECT_GE(fields.month, 1);
  EXPECT_LE(fields.month, 12);
  fields.year = std::numeric_limits<int>::min();
  fields.month = std::numeric_limits<int>::min();
  NextDayStart(fields);
  EXPECT_GE(fields.day, 1);
  EXPECT_LE(fields.day, 31);
}

// Every date from 1970 to 2200, at a clock time that moves through the day,
// against the standard library's own calendar.
TEST(DateTimeTest, EveryDayFrom1970To2200MatchesTheStandardCalendar) {
  using std::chrono::days;
  using std::chrono::sys_days;
  using std::chrono::year_month_day;
  const sys_days first =
      year_month_day{std::chrono::year{1970}, std::chrono::January, std::chrono::day{1}};
  const sys_days last =
      year_month_day{std::chrono::year{2200}, std::chrono::December, std::chrono::day{31}};
  int checked = 0;
  for (sys_days date = first; date <= last; date += days{1}) {
    const year_month_day ymd{date};
    const int y = static_cast<int>(ymd.year());
    const int m = static_cast<int>(static_cast<unsigned>(ymd.month()));
    const int d = static_cast<int>(static_cast<unsigned>(ymd.day()));
    const std::int64_t day_number = date.time_since_epoch().count();
    const std::int64_t clock = (day_number * 7919) % 86400;  // varies over the day
    const int hour = static_cast<int>(clock / 3600);
    const int minute = static_cast<int>(clock / 60 % 60);
    const int second = static_cast<int>(clock % 60);
    const std::int64_t seconds = day_number * 86400 + clock;

    DateTime value;
    ASSERT_EQ(value.FromCalendar(y, m, d, hour, minute, second), seconds)
        << y << "-" << m << "-" << d;
    int yy = 0, mm = 0, dd = 0, hh = 0, mi = 0, ss = 0;
    DateTime(seconds).ToCalendar(&yy, &mm, &dd, &hh, &mi, &ss);
    ASSERT_TRUE(yy == y && mm == m && dd == d && hh == hour && mi == minute && ss == second)
        << seconds;
    const std::string date_text = DateOf(y, m, d);
    const std::string time_text = ClockOf(hour, minute, second);
    ASSERT_EQ(value.DateText(), date_text);
    ASSERT_EQ(value.TimeText(), time_text);
    ASSERT_EQ(SecondsFromText(date_text + " " + time_text), seconds);

    CalendarFields fields = value.ToCalendarFields();
    NextDayStart(fields);
    const year_month_day next{date + days{1}};
    ASSERT_TRUE(fields.year == static_cast<int>(next.year()) &&
                fields.month == static_cast<int>(static_cast<unsigned>(next.month())) &&
                fields.day == static_cast<int>(static_cast<unsigned>(next.day())) &&
                fields.hour == 0 && fields.minute == 0 && fields.second == 0)
        << date_text;
    ++checked;
  }
  EXPECT_EQ(checked, (last - first).count() + 1);
}

}  // namespace
}  // namespace corvane
