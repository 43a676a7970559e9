#include "core/day_segments.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

std::int64_t At(const char* text) { return SecondsFromText(text); }

std::string Text(const CalendarFields& f) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", f.year, f.month, f.day,
                f.hour, f.minute, f.second);
  return buffer;
}

TEST(DaySegmentsTest, OneDateGivesOneSegment) {
  const auto segments = BuildDaySegments(At("2011-05-03 10:00:00"), At("2011-05-03 12:00:00"));
  ASSERT_EQ(segments.size(), 1u);
  EXPECT_EQ(Text(segments[0].start), "2011-05-03 10:00:00");
  EXPECT_EQ(Text(segments[0].end), "2011-05-03 12:00:00");
}

TEST(DaySegmentsTest, ThreeDatesAreCutAtMidnight) {
  const auto segments = BuildDaySegments(At("2011-05-03 22:00:00"), At("2011-05-05 01:00:00"));
  ASSERT_EQ(segments.size(), 3u);
  EXPECT_EQ(Text(segments[0].start), "2011-05-03 22:00:00");
  EXPECT_EQ(Text(segments[0].end), "2011-05-03 23:59:59");
  EXPECT_EQ(Text(segments[1].start), "2011-05-04 00:00:00");
  EXPECT_EQ(Text(segments[1].end), "2011-05-04 23:59:59");
  EXPECT_EQ(Text(segments[2].start), "2011-05-05 00:00:00");
  EXPECT_EQ(Text(segments[2].end), "2011-05-05 01:00:00");
}

TEST(DaySegmentsTest, MidnightStopStillCountsItsDate) {
  const auto segments = BuildDaySegments(At("2011-05-03 10:00:00"), At("2011-05-04 00:00:00"));
  ASSERT_EQ(segments.size(), 2u);
  EXPECT_EQ(Text(segments[1].start), "2011-05-04 00:00:00");
  EXPECT_EQ(Text(segments[1].end), "2011-05-04 00:00:00");
}

TEST(DaySegmentsTest, YearEndAndLeapDay) {
  EXPECT_EQ(BuildDaySegments(At("2010-12-31"), At("2011-01-01")).size(), 2u);
  const auto leap = BuildDaySegments(At("2012-02-28 12:00:00"), At("2012-03-01 00:00:01"));
  ASSERT_EQ(leap.size(), 3u);
  EXPECT_EQ(Text(leap[1].start), "2012-02-29 00:00:00");
}

TEST(DaySegmentsTest, OverlongRangesAreRefusedWithoutAllocating) {
  EXPECT_TRUE(BuildDaySegments(At("1970-01-01"), At("9999-12-31")).empty());
  EXPECT_EQ(BuildDaySegments(0, 0).size(), 1u);
}

}  // namespace
}  // namespace corvane
