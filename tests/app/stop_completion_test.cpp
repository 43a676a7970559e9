// A stop time that the form completed is completed again from a new start,
// unless the user has edited it since; a batch item's stop is its own.
#include <gtest/gtest.h>

#include "app/analysis_dialog.h"
#include "app/time_completion.h"
#include "app_test_support.h"

namespace corvane::testing {
namespace {

// One "Analyze data" as the user would press it: start and stop as the
// controls show them (the form shows the completed texts back).
struct Step {
  const char* start;
  const char* stop;  // nullptr: the stop as the form showed it after the last step
  const char* wantStop;
};

TEST(StopCompletionTest, ACompletedStopFollowsTheStartUntilEdited) {
  const Step steps[] = {
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
    std::string event;
    EXPECT_EQ(CompleteTimes(start, stop, event, last), !Trimmed(step.start).empty());
    EXPECT_EQ(stop, step.wantStop);
    shownStop = stop;
  }
}

using FormStopCompletionTest = FormTest;

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

}  // namespace
}  // namespace corvane::testing
