// The conversions and checks between the form's values and the job's:
// time completion, DFT size reduction, event duration seconds, the progress
// bar, and the fields' C form of numbers.
#include <gtest/gtest.h>

#include <cmath>

#include "app/field_exchange.h"
#include "app/request_checks.h"
#include "app/request_values.h"
#include "app/time_completion.h"

namespace corvane {
namespace {

TEST(TimeCompletionTest, DatesAloneGetTheirTimesAndAnEmptyStopEndsTheStartDate) {
  struct Case {
    std::string start, stop, event;  // typed
    std::string wantStart, wantStop, wantEvent;
    bool ok = true;
  };
  const Case cases[] = {
      {"2011-5-3", "", "", "2011-5-3 00:00:00", "2011-5-3 23:59:59", ""},  // 8 characters
      {"2011-05-03 12:00", "", "", "2011-05-03 12:00", "2011-05-03 23:59:59", ""},
      {"2011-05-03", "2011-05-05 06:00:00", "", "2011-05-03 00:00:00", "2011-05-05 06:00:00", ""},
      {"2011-5", "", "", "2011-5", "2011-5 23:59:59", ""},  // 6 characters: no date alone
      // Trimmed; the event is not completed.
      {"  2011-05-03\t", " 2011-05-04 ", "  2011-05-03 14:30  ", "2011-05-03 00:00:00",
       "2011-05-04 23:59:59", "2011-05-03 14:30"},
      {"   ", "2011-05-04", " 2011-05-03 ", "", "2011-05-04", "2011-05-03", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start + "|" + c.stop);
    std::string start = c.start, stop = c.stop, event = c.event;
    EXPECT_EQ(CompleteTimes(start, stop, event), c.ok);
    EXPECT_EQ(start, c.wantStart);
    if (c.ok) {
      EXPECT_EQ(stop, c.wantStop);
    }
    EXPECT_EQ(event, c.wantEvent);
  }
}

TEST(DftSizeTest, ReducesToThePowerOfTwoNotAbove) {
  const std::pair<int, int> cases[] = {{50000, 32768}, {65536, 65536}, {2000000000, 65536},
                                       {3, 2},         {1, 1},         {-7, 1}};
  for (const auto& [size, reduced] : cases) EXPECT_EQ(ReducedDftSize(size), reduced) << size;
}

TEST(EventDurationTest, HoursBecomeWholeSecondsAllowingForBinaryRounding) {
  ASSERT_LT(1.13 * 3600.0, 4068.0);  // the product falls just short
  EXPECT_EQ(EventDurationSeconds(1.13), 4068);
  // Real fractions of a second are still truncated.
  EXPECT_EQ(EventDurationSeconds(1.0 / 3600.0 * 10.7), 10);
  EXPECT_EQ(EventDurationSeconds(0.0001), 0);
  for (int seconds = 0; seconds < 100000; seconds += 7) {
    ASSERT_EQ(EventDurationSeconds(seconds / 3600.0), seconds) << seconds;
  }
  EXPECT_FALSE(CheckEventDuration(596523));
  EXPECT_EQ(EventDurationSeconds(596523), 596523 * 3600);
  EXPECT_TRUE(CheckEventDuration(596524));
  EXPECT_TRUE(CheckEventDuration(std::nan("")));
}

TEST(ProgressTest, StageTimesTwentyUntilStageFive) {
  EXPECT_EQ(ProgressFromStage(4).percent, 80);
  EXPECT_FALSE(ProgressFromStage(4).stop);
  EXPECT_EQ(ProgressFromStage(5).percent, 0);
  EXPECT_TRUE(ProgressFromStage(5).stop);
  EXPECT_EQ(ProgressFromStage(7).percent, 100);  // the bar's range holds
}

TEST(ProgressTest, TheDaysOfTheInputMoveTheBarWithinTheInputStage) {
  EXPECT_EQ(ProgressFromStage(1, 0.0).percent, 20);
  EXPECT_EQ(ProgressFromStage(1, 1.0 / 3).percent, 27);
  EXPECT_EQ(ProgressFromStage(1, 2.0 / 3).percent, 33);
  EXPECT_EQ(ProgressFromStage(1, 1.0).percent, 40);
  EXPECT_EQ(ProgressFromStage(1, 5.0).percent, 40);
  // Later stages no longer count the input.
  EXPECT_EQ(ProgressFromStage(2, 1.0).percent, 40);
  EXPECT_EQ(ProgressFromStage(3, 1.0).percent, 60);
}

TEST(RequestChecksTest, ResolutionsARunCannotUseAreRefused) {
  EXPECT_FALSE(CheckResolution(1));
  EXPECT_FALSE(CheckResolution(1000000));
  EXPECT_TRUE(CheckResolution(0));
  EXPECT_TRUE(CheckResolution(20000000));
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
