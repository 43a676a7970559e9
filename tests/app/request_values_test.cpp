// The conversions and checks between the form's values and the job's: time
// completion, DFT size, event duration, progress bar and number fields.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "app/analysis_dialog.h"
#include "app/field_exchange.h"
#include "app/request_checks.h"
#include "app/request_values.h"
#include "app/time_completion.h"
#include "app_test_support.h"

namespace corvane {
namespace {

// One "Analyze data" as the user would press it: the texts as the controls
// show them (the form shows the completed texts back).
struct Step {
  const char* start;
  const char* stop;  // nullptr: the stop as the form showed it after the last step
  const char* wantStop;
  const char* event = "";
  const char* wantStart = nullptr;  // nullptr: not checked
  const char* wantEvent = "";
};

// The texts are trimmed; a start of a date alone (8 to 10 characters) gets
// its time and an empty stop ends the start's date; the event is not
// completed. A stop that the form completed follows the start until the
// user edits it.
TEST(StopCompletionTest, ACompletedStopFollowsTheStartUntilEdited) {
  const Step steps[] = {
      {"2011-5-3", "", "2011-5-3 23:59:59", "", "2011-5-3 00:00:00"},
      {"2011-05-03 12:00", "", "2011-05-03 23:59:59", "", "2011-05-03 12:00"},
      {"2011-05-03", "2011-05-05 06:00:00", "2011-05-05 06:00:00", "", "2011-05-03 00:00:00"},
      {"2011-5", "", "2011-5 23:59:59", "", "2011-5"},  // 6 characters: no date alone
      {"  2011-05-03\t", " 2011-05-04 ", "2011-05-04 23:59:59", "  2011-05-03 14:30  ",
       "2011-05-03 00:00:00", "2011-05-03 14:30"},
      {"   ", "2011-05-04", "2011-05-04", " 2011-05-03 ", "", "2011-05-03"},
      {"2011-05-03", "", "2011-05-03 23:59:59"},
      {"2011-05-10", nullptr, "2011-05-10 23:59:59"},  // the stale stop is completed again
      {"2011-05-12 06:00:00", nullptr, "2011-05-12 23:59:59"},
      {"2011-05-12 07:00:00", "2011-05-13 12:00:00", "2011-05-13 12:00:00"},  // edited
      {"2011-05-11", nullptr, "2011-05-13 12:00:00"},  // typed by the user: kept
      {"2011-05-11", "2011-05-20", "2011-05-20 23:59:59"},
      {"2011-05-14", nullptr, "2011-05-20 23:59:59"},  // its date was typed: kept
      {"2011-05-14", "", "2011-05-14 23:59:59"},
      {"  ", nullptr, "2011-05-14 23:59:59"},          // no start: nothing completed
      {"2011-05-15", nullptr, "2011-05-15 23:59:59"},  // still remembered
  };
  CompletedStop last;
  std::string shownStop;
  for (const Step& step : steps) {
    SCOPED_TRACE(std::string(step.start) + " | " + (step.stop ? step.stop : "(as shown)"));
    std::string start = step.start;
    std::string stop = step.stop ? step.stop : shownStop;
    std::string event = step.event;
    EXPECT_EQ(CompleteTimes(start, stop, event, last), !Trimmed(step.start).empty());
    if (step.wantStart != nullptr) {
      EXPECT_EQ(start, step.wantStart);
    }
    EXPECT_EQ(stop, step.wantStop);
    EXPECT_EQ(event, step.wantEvent);
    shownStop = stop;
  }
}

using FormStopCompletionTest = testing::FormTest;

// Through the form: refused for want of a local file after the completion,
// so that no run is needed to see the completed texts.
TEST_F(FormStopCompletionTest, TheFormCompletesAStaleStopAgainButNotABatchItemsStop) {
  AnalysisDialog& form = MakeForm();
  form.fields.localEggFile = "";
  auto analyze = [&form](const std::string& start) {
    form.fields.startTime = start;
    EXPECT_FALSE(form.AnalyzeData());
    return form.fields.stopTime;
  };
  form.fields.stopTime = "";
  EXPECT_EQ(analyze("2011-05-03"), "2011-05-03 23:59:59");
  EXPECT_EQ(analyze("2011-05-04"), "2011-05-04 23:59:59");
  EXPECT_EQ(view_.Texts(), std::vector<std::string>(2, "Specify egg file name for local access"));

  // A batch item that happens to end where the last completion did keeps
  // its stop, in batch mode and when the user runs it from the form.
  ASSERT_EQ(form.OpenBatchFileAt(WriteBatch("DataDirectory " + root_ +
                                            "\nItem 2011-05-01 00:00:00 2011-05-04 23:59:59\n")),
            1);
  form.fields.remoteAccess = false;
  form.fields.localEggFile = "";
  EXPECT_EQ(analyze("2011-05-02 00:00:00"), "2011-05-04 23:59:59");
  EXPECT_EQ(view_.Texts(), std::vector<std::string>(3, "Specify egg file name for local access"));
}

TEST(DftSizeTest, ReducesToThePowerOfTwoNotAbove) {
  const std::pair<int, int> cases[] = {{50000, 32768}, {65536, 65536}, {2000000000, 65536},
                                       {3, 2},         {1, 1},         {-7, 1}};
  for (const auto& [size, reduced] : cases) EXPECT_EQ(ReducedDftSize(size), reduced) << size;
}

TEST(EventDurationTest, HoursBecomeWholeSecondsAllowingForBinaryRounding) {
  // Real fractions of a second are truncated; whole seconds survive binary
  // rounding.
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

// Stage times twenty until stage five, which stops the bar; the days of the
// input move it within the input stage, later stages no longer count them.
TEST(ProgressTest, TheDaysOfTheInputMoveTheBarWithinTheInputStage) {
  const std::tuple<int, double, int> cases[] = {
      {1, 0.0, 20}, {1, 1.0 / 3, 27}, {1, 2.0 / 3, 33}, {1, 1.0, 40}, {1, 5.0, 40},
      {2, 1.0, 40}, {3, 1.0, 60},     {4, 0.0, 80},     {5, 0.0, 0},  {7, 0.0, 100}};
  for (const auto& [stage, days, percent] : cases) {
    EXPECT_EQ(ProgressFromStage(stage, days).percent, percent) << stage << " " << days;
    EXPECT_EQ(ProgressFromStage(stage, days).stop, stage == 5) << stage;
  }
  // Within a run the bar never falls back; the run's end, or no run, sets it.
  EXPECT_EQ(NextProgress(40, ProgressFromStage(1), true), 40);
  EXPECT_EQ(NextProgress(40, ProgressFromStage(3), true), 60);
  EXPECT_EQ(NextProgress(80, ProgressFromStage(5), true), 0);
  EXPECT_EQ(NextProgress(80, ProgressFromStage(1), false), 20);
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
