#include "core/date_time.h"
#include "core/day_segments.h"

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "core/c_format.h"

namespace corvane {
namespace {

std::string Text(int year, int month, int day, int hour, int minute, int second) {
  return CFormat("%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
}

std::string Text(const CalendarFields& f) {
  return Text(f.year, f.month, f.day, f.hour, f.minute, f.second);
}

// Instants the every-day comparison below does not reach: before 1970, the
// Julian days and a calendar split into some fields only.
TEST(DateTimeTest, InstantsBefore1970JulianDaysAndPartialSplits) {
  DateTime value;
  EXPECT_EQ(value.FromCalendar(1969, 12, 31, 12, 0, 0), -43200);
  EXPECT_EQ(value.FromCalendar(1969, 12, 31, 23, 59, 59), -1);
  // Julian calendar before the Gregorian correction.
  EXPECT_EQ(DateTime::JulianDay(1582, 10, 4, 12, 0, 0), 2299160.0);
  EXPECT_EQ(DateTime::JulianDay(2000, 1, 1, 12, 0, 0), 2451545.0);
  // Null outputs are skipped.
  int year = 0, second = 0;
  DateTime(1304460000 + 3661).ToCalendar(&year, nullptr, nullptr, nullptr, nullptr, &second);
  EXPECT_EQ(year, 2011);
  EXPECT_EQ(second, 1);
}

TEST(DateTimeTest, ParseReadsDatesAndLeadingParts) {
  const std::int64_t midnight = 1304460000 - 22 * 3600;
  EXPECT_EQ(SecondsFromText("2011-05-03"), midnight);
  EXPECT_EQ(SecondsFromText("2011-05-03 22"), midnight + 22 * 3600);
  // Any one character separates, white space may precede each number, and
  // text after the seconds is ignored.
  for (const char* text : {"2011-05-03 22:00:00", "2011/05/03T22.00.00",
                           "  2011-05-03  22:00:00 UTC", "2011-5-3 22:0:0"}) {
    EXPECT_EQ(SecondsFromText(text), 1304460000) << text;
  }
  EXPECT_EQ(SecondsFromText("9999-12-31 23:59:59"), std::int64_t{253402300799});
}

TEST(DateTimeTest, ParseRefusesTextsThatNameNoRealInstant) {
  for (const char* text : {"", "2011-05", "2011--05-03", "20110503",
                           // Dates and clock times that do not exist.
                           "2011-02-29", "2100-02-29", "2011-04-31", "2011-13-01",
                           "2011-05-03 24:00:00", "2011-05-03 23:60:00", "2011-05-03 23:59:60",
                           // Outside 1970 to 9999, and numbers beyond int.
                           "1969-12-31 23:59:59", "10000-01-01", "99999999999-01-01"}) {
    DateTime value(12345);
    try {
      value.Parse(text);
      ADD_FAILURE() << "\"" << text << "\" was accepted as " << value.Seconds();
    } catch (const std::invalid_argument& error) {
      EXPECT_STREQ(error.what(), "Invalid date format") << text;
    }
    EXPECT_EQ(value.Seconds(), 12345) << "a refused text changed the value: " << text;
  }
}

TEST(DateTimeTest, CalendarFieldsSplitCompareAndStepToTheNextDay) {
  EXPECT_EQ(Text(ParseCalendarFields("2011-05-03")), "2011-05-03 00:00:00");
  EXPECT_EQ(Text(ParseCalendarFields("  2011--05 :03 22:07:09")), "2011-05-03 22:07:09");
  EXPECT_EQ(Text(ParseCalendarFields("abc-5x")), "0000-05-00 00:00:00");
  // Only the first 99 characters count.
  EXPECT_EQ(ParseCalendarFields(std::string(96, ' ') + "2011-05-03").year, 201);

  CalendarFields fields = ParseCalendarFields("1969-12-31 12:00:00");
  NextDayStart(fields);
  EXPECT_EQ(Text(fields), "1970-01-01 00:00:00");

  const CalendarFields a = ParseCalendarFields("2011-05-03 22:00:00");
  CalendarFields b = a;
  b.weekday = 3;  // not compared
  EXPECT_FALSE(CalendarDiffers(a, b));
  for (int CalendarFields::*member :
       {&CalendarFields::second, &CalendarFields::minute, &CalendarFields::hour,
        &CalendarFields::day, &CalendarFields::month, &CalendarFields::year}) {
    CalendarFields c = a;
    c.*member += 1;
    EXPECT_TRUE(CalendarDiffers(a, c));
  }

  // Wild fields from a token split must not overflow (the sanitizers watch
  // this); the result is still a valid breakdown.
  fields = ParseCalendarFields("99999999999-99999999999-99999999999 99999999999");
  EXPECT_EQ(fields.year, std::numeric_limits<int>::max());
  NextDayStart(fields);
  EXPECT_TRUE(fields.month >= 1 && fields.month <= 12) << fields.month;
  fields.year = fields.month = std::numeric_limits<int>::min();
  NextDayStart(fields);
  EXPECT_TRUE(fields.day >= 1 && fields.day <= 31) << fields.day;
}

// Every date from 1970 to 2200, at a clock time that moves through the day,
// against the standard library's calendar, with a local time zone far from
// UTC set so that any use of local time shows.
TEST(DateTimeTest, EveryDayFrom1970To2200MatchesTheStandardCalendarWhateverTheLocalZone) {
  const char* saved = std::getenv("TZ");
  const std::string saved_tz = saved != nullptr ? saved : "";
  setenv("TZ", "XST+5:30XDT,M3.2.0,M11.1.0", 1);
  tzset();
  using namespace std::chrono;
  const sys_days first = year{1970} / January / 1;
  const sys_days last = year{2200} / December / 31;
  for (sys_days date = first; date <= last; date += days{1}) {
    const year_month_day ymd{date}, next{date + days{1}};
    const int y = int(ymd.year()), m = int(unsigned(ymd.month())), d = int(unsigned(ymd.day()));
    const std::int64_t day_number = date.time_since_epoch().count();
    const int clock = static_cast<int>(day_number * 7919 % 86400);
    const int hour = clock / 3600, minute = clock / 60 % 60, second = clock % 60;
    const std::int64_t seconds = day_number * 86400 + clock;
    const std::string text = Text(y, m, d, hour, minute, second);

    DateTime value;
    ASSERT_EQ(value.FromCalendar(y, m, d, hour, minute, second), seconds) << text;
    ASSERT_EQ(Text(DateTime(seconds).ToCalendarFields()), text);
    ASSERT_EQ(value.DateText() + " " + value.TimeText(), text);
    ASSERT_EQ(SecondsFromText(text), seconds);
    CalendarFields fields = value.ToCalendarFields();
    NextDayStart(fields);
    ASSERT_EQ(Text(fields), Text(int(next.year()), int(unsigned(next.month())),
                                 int(unsigned(next.day())), 0, 0, 0));
  }
  saved != nullptr ? setenv("TZ", saved_tz.c_str(), 1) : unsetenv("TZ");
  tzset();
}

// The segments of a range as "date start-end" texts joined by "; ".
std::string Segments(const char* start, const char* stop) {
  std::string texts;
  for (const DaySegment& s : BuildDaySegments(SecondsFromText(start), SecondsFromText(stop))) {
    EXPECT_TRUE(s.end.year == s.start.year && s.end.month == s.start.month &&
                s.end.day == s.start.day);
    texts += CFormat("%s%s-%02d:%02d:%02d", texts.empty() ? "" : "; ", Text(s.start).c_str(),
                     s.end.hour, s.end.minute, s.end.second);
  }
  return texts;
}

// Runs across a year's end and over three days: see LocalRunTest, RemoteRunTest.
TEST(DaySegmentsTest, RangesAreCutAtMidnightAndOverlongOnesRefused) {
  EXPECT_EQ(Segments("2011-05-03 10:00:00", "2011-05-03 12:00:00"), "2011-05-03 10:00:00-12:00:00");
  // A stop at midnight still counts its date.
  EXPECT_EQ(Segments("2011-05-03 10:00:00", "2011-05-04"),
            "2011-05-03 10:00:00-23:59:59; 2011-05-04 00:00:00-00:00:00");
  EXPECT_EQ(Segments("2012-02-28 23:00:00", "2012-03-01 00:00:01"),
            "2012-02-28 23:00:00-23:59:59; 2012-02-29 00:00:00-23:59:59; "
            "2012-03-01 00:00:00-00:00:01");
  EXPECT_EQ(Segments("1970-01-01", "9999-12-31"), "");  // without allocating
  EXPECT_EQ(BuildDaySegments(0, 0).size(), 1u);
}

}  // namespace
}  // namespace corvane
