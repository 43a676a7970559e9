// The conversions and checks between the form's values and the job's:
// time completion, DFT size reduction, event duration seconds, the progress
// bar, and the range checks of request values.
#include <gtest/gtest.h>

#include <cmath>

#include "app/field_exchange.h"
#include "app/request_checks.h"
#include "app/request_values.h"
#include "app/time_completion.h"

namespace corvane {
namespace {

struct Completion {
  std::string start, stop, event;
  bool ok;
};

Completion Complete(std::string start, std::string stop, std::string event = "") {
  const bool ok = CompleteTimes(start, stop, event);
  return {start, stop, event, ok};
}

TEST(TimeCompletionTest, DatesAloneGetTheirTimesAndAnEmptyStopEndsTheStartDate) {
  Completion c = Complete("2011-05-03", "");
  EXPECT_TRUE(c.ok);
  EXPECT_EQ(c.start, "2011-05-03 00:00:00");
  EXPECT_EQ(c.stop, "2011-05-03 23:59:59");

  c = Complete("2011-5-3", "");  // 8 characters
  EXPECT_EQ(c.start, "2011-5-3 00:00:00");
  EXPECT_EQ(c.stop, "2011-5-3 23:59:59");

  c = Complete("2011-05-03 12:00", "");  // 16 characters: unchanged
  EXPECT_EQ(c.start, "2011-05-03 12:00");
  EXPECT_EQ(c.stop, "2011-05-03 23:59:59");

  c = Complete("2011-05-03", "2011-05-05");
  EXPECT_EQ(c.stop, "2011-05-05 23:59:59");

  c = Complete("2011-05-03", "2011-05-05 06:00:00");
  EXPECT_EQ(c.stop, "2011-05-05 06:00:00");

  c = Complete("2011-5", "");  // 6 characters: not a date alone
  EXPECT_EQ(c.start, "2011-5");
  EXPECT_EQ(c.stop, "2011-5 23:59:59");
}

TEST(TimeCompletionTest, TextsAreTrimmedAndOnlyAnEmptyStartFails) {
  Completion c = Complete("  2011-05-03\t", " 2011-05-04 ", "  2011-05-03 14:30  ");
  EXPECT_TRUE(c.ok);
  EXPECT_EQ(c.start, "2011-05-03 00:00:00");
  EXPECT_EQ(c.stop, "2011-05-04 23:59:59");
  EXPECT_EQ(c.event, "2011-05-03 14:30");  // trimmed, not completed

  c = Complete("   ", "2011-05-04", " 2011-05-03 ");
  EXPECT_FALSE(c.ok);
  EXPECT_EQ(c.start, "");
  EXPECT_EQ(c.event, "2011-05-03");
}

TEST(DftSizeTest, ReducesToThePowerOfTwoNotAbove) {
  EXPECT_EQ(ReducedDftSize(50000), 32768);
  EXPECT_EQ(ReducedDftSize(32768), 32768);
  EXPECT_EQ(ReducedDftSize(1000), 512);
  EXPECT_EQ(ReducedDftSize(65536), 65536);
  EXPECT_EQ(ReducedDftSize(65537), 65536);
  EXPECT_EQ(ReducedDftSize(2000000000), 65536);
  EXPECT_EQ(ReducedDftSize(3), 2);
  EXPECT_EQ(ReducedDftSize(2), 2);
  EXPECT_EQ(ReducedDftSize(1), 1);
  EXPECT_EQ(ReducedDftSize(0), 1);
  EXPECT_EQ(ReducedDftSize(-7), 1);
}

TEST(EventDurationTest, HoursBecomeWholeSecondsAllowingForBinaryRounding) {
  ASSERT_LT(1.13 * 3600.0, 4068.0);  // the product falls just short
  EXPECT_EQ(EventDurationSeconds(1.13), 4068);
  EXPECT_EQ(EventDurationSeconds(4.0), 14400);
  EXPECT_EQ(EventDurationSeconds(0.0), 0);
  EXPECT_EQ(EventDurationSeconds(2.5), 9000);
  // Real fractions of a second are still truncated.
  EXPECT_EQ(EventDurationSeconds(1.0 / 3600.0 * 10.7), 10);
  EXPECT_EQ(EventDurationSeconds(0.0001), 0);
  for (int seconds = 0; seconds < 100000; seconds += 7) {
    const double hours = seconds / 3600.0;
    ASSERT_EQ(EventDurationSeconds(hours), seconds) << hours;
  }
  EXPECT_FALSE(CheckEventDuration(596523));
  EXPECT_EQ(EventDurationSeconds(596523), 596523 * 3600);
  EXPECT_TRUE(CheckEventDuration(596524));
  EXPECT_TRUE(CheckEventDuration(-0.5));
  EXPECT_TRUE(CheckEventDuration(std::nan("")));
}

TEST(ProgressTest, StageTimesTwentyUntilStageFive) {
  EXPECT_EQ(ProgressFromStage(0).percent, 0);
  EXPECT_EQ(ProgressFromStage(1).percent, 20);
  EXPECT_EQ(ProgressFromStage(4).percent, 80);
  EXPECT_FALSE(ProgressFromStage(4).stop);
  EXPECT_EQ(ProgressFromStage(5).percent, 0);
  EXPECT_TRUE(ProgressFromStage(5).stop);
  EXPECT_EQ(ProgressFromStage(7).percent, 100);  // the bar's range holds
}

TEST(RequestChecksTest, ValuesThatWouldBreakARunAreRefused) {
  EXPECT_FALSE(CheckResolution(1));
  EXPECT_FALSE(CheckResolution(60));
  EXPECT_TRUE(CheckResolution(0));
  EXPECT_TRUE(CheckResolution(-2));
  EXPECT_FALSE(CheckResolution(1000000));
  EXPECT_TRUE(CheckResolution(20000000));

  EXPECT_FALSE(CheckEchoMethod(0));
  EXPECT_FALSE(CheckEchoMethod(2));
  EXPECT_TRUE(CheckEchoMethod(3));
}

TEST(FieldExchangeTest, FieldsUseTheCFormOfNumbers) {
  EXPECT_EQ(IntegerFromField(" 3600 "), 3600);
  EXPECT_FALSE(IntegerFromField("1.5"));
  EXPECT_FALSE(IntegerFromField("3000000000"));
  EXPECT_EQ(RealFromField("0.0001"), 0.0001);
  EXPECT_FALSE(RealFromField("0,0001"));
  EXPECT_EQ(RealFieldText(1.0 / 3.0), "0.333333333333333");
}

}  // namespace
}  // namespace corvane
