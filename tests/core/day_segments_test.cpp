#include "core/day_segments.h"

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

namespace corvane {
namespace {

// The segments of a range as "date start-end" texts joined by "; ".
std::string Segments(const char* start, const char* stop) {
  std::string texts;
  for (const DaySegment& s : BuildDaySegments(SecondsFromText(start), SecondsFromText(stop))) {
    EXPECT_TRUE(s.end.year == s.start.year && s.end.month == s.start.month &&
                s.end.day == s.start.day);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s%04d-%02d-%02d %02d:%02d:%02d-%02d:%02d:%02d",
                  texts.empty() ? "" : "; ", s.start.year, s.start.month, s.start.day, s.start.hour,
                  s.start.minute, s.start.second, s.end.hour, s.end.minute, s.end.second);
    texts += buffer;
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
