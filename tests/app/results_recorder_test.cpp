// Runs from the window add their records to the results table too, under
// item 0 and no batch file; a table with other columns is never written to,
// and the form says so after the run.
#include <gtest/gtest.h>

#include "app/analysis_dialog.h"
#include "app_test_support.h"
#include "output/results_table.h"
#include "support/text_lines.h"

namespace corvane::testing {
namespace {

using ResultsRecorderTest = FormTest;

TEST_F(ResultsRecorderTest, InteractiveRunsAppendTheirRecords) {
  ASSERT_TRUE(MakeForm("First").AnalyzeData());
  ASSERT_TRUE(WaitUntilIdle());
  AnalysisDialog& form = MakeForm("Second");
  form.fields.compareIntervals = true;
  form.fields.interval1Start = 0;
  form.fields.interval2Start = 3000;
  form.fields.intervalDuration = 1800;
  ASSERT_TRUE(form.AnalyzeData());
  ASSERT_TRUE(WaitUntilIdle());

  const std::vector<std::string> lines = Lines(ReadFile(root_ + "results.csv"));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], ResultsHeader() + "\r");
  for (const char* name : {"First", "Second"}) {
    const std::string& line = lines[name[0] == 'F' ? 1 : 2];
    // batch_start is the run's time, then no batch file and item 0.
    EXPECT_EQ(line.find(std::string(",,0,") + name + ",2011-05-03 00:00:00,"), 19u) << line;
    EXPECT_NE(line.find(",local," + eggFile_ + ",completed,,60,3600,"), std::string::npos) << line;
  }
  // The second run's comparison was refused; its run completed.
  EXPECT_NE(lines[2].find(",1,0,3000,1800,The second interval extends past the end of data,"),
            std::string::npos)
      << lines[2];
}

TEST_F(ResultsRecorderTest, ATableWithOtherColumnsIsLeftAloneAndNamed) {
  const std::string foreign = "name,value\r\nmine,1\r\n";
  WriteFile(root_ + "results.csv", foreign);
  ASSERT_TRUE(MakeForm("Run").AnalyzeData());
  ASSERT_TRUE(WaitUntilIdle());
  EXPECT_EQ(ReadFile(root_ + "results.csv"), foreign);
  const std::vector<std::string> texts = view_.Texts();
  ASSERT_EQ(texts.size(), 2u) << ::testing::PrintToString(texts);
  EXPECT_EQ(texts[0].rfind("Finished processing", 0), 0u) << texts[0];
  EXPECT_EQ(texts[1].rfind(root_ + "results.csv holds a table with other columns", 0), 0u)
      << texts[1];

  // A batch tells it with its closing words, once, and still writes its
  // series.
  AnalysisDialog& form = MakeForm();
  ASSERT_EQ(form.OpenBatchFileAt(LocalBatch({"A", "B"})), 2);
  view_.messages.clear();
  form.RunBatchFile();
  ASSERT_TRUE(WaitUntilBatchEnds());
  ASSERT_EQ(view_.Texts().size(), 1u);
  const std::string closing = view_.Texts()[0];
  EXPECT_NE(closing.find("\n\nEvent series of 2 completed items:\n"), std::string::npos) << closing;
  EXPECT_EQ(closing.find("other columns"), closing.rfind("other columns")) << closing;
  EXPECT_NE(closing.find("other columns"), std::string::npos) << closing;
  EXPECT_EQ(Lines(ReadFile(root_ + "series.csv")).size(), 2u);
}

}  // namespace
}  // namespace corvane::testing
