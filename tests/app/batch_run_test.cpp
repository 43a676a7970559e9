// Running batch files through the form: items one after another, refusals
// and run errors as summary lines, the settings a batch stores, and Stop.
#include <gtest/gtest.h>

#include "app/analysis_dialog.h"
#include "app_test_support.h"
#include "core/progress_log.h"
#include "core/summary_line.h"

namespace corvane::testing {
namespace {

class BatchRunTest : public FormTest {
 protected:
  // Items of the names over the fixture's hour of data.
  std::string LocalBatch(const std::vector<std::string>& names, const std::string& keywords = "") {
    std::string text = "DataDirectory " + root_ + "\n" + keywords;
    for (const std::string& name : names) {
      text +=
          "LocalEggFile " + eggFile_ + "\n" + name + " 2011-05-03 00:00:00 2011-05-03 00:59:59\n";
    }
    return WriteBatch(text);
  }
};

TEST_F(BatchRunTest, OpeningABatchFileShowsItsFirstItem) {
  AnalysisDialog& form = MakeForm("Before");
  const std::string path = LocalBatch({"First", "Second"}, "Resolution 2\n");
  view_.chooserAnswers.push_back(path);
  form.OpenBatchFile();  // its chooser: the window's test
  EXPECT_EQ(form.fields.batchFile, path);
  EXPECT_EQ(form.BatchItemCount(), 2);
  EXPECT_EQ(form.fields.status, "2 items loaded");
  EXPECT_EQ(form.fields.dataName, "First");
  EXPECT_EQ(form.resolution(), 2);
  EXPECT_FALSE(form.BatchMode());

  EXPECT_EQ(form.OpenBatchFileAt(LocalBatch({"Only"})), 1);
  EXPECT_EQ(form.fields.status, "1 item loaded");

  // A file of keywords only loads no items.
  EXPECT_EQ(form.OpenBatchFileAt(WriteBatch("Resolution 3\n")), 0);
  EXPECT_EQ(form.fields.status, "0 items loaded");
  form.RunBatchFile();
  ASSERT_EQ(view_.messages.size(), 1u);
  EXPECT_EQ(view_.messages[0].text, "There are no batch items to process");
  EXPECT_EQ(view_.messages[0].caption, std::nullopt);
  EXPECT_EQ(view_.messages[0].kind, MessageKind::kWarning);
  EXPECT_FALSE(form.BatchMode());
}

TEST_F(BatchRunTest, ItemsRunOneAfterAnotherAndRefusalsGoOn) {
  AnalysisDialog& form = MakeForm();
  SetLogProgress(true);
  const std::string item = " 2011-05-03 00:00:00 2011-05-03 00:59:59\n";
  const std::string local = "LocalEggFile " + eggFile_ + "\n";
  const std::string missing = dir_.File("missing");
  const std::string text = local + "NoRoot" + item + "DataDirectory " + root_ +
                           "\nCompareIntervals 1 0 1800 1800\n" + local + "One" + item + local +
                           "Bad'Name" + item + "LocalEggFile " + dir_.File("nothing.csv") +
                           "\nMissing" + item + local + "Three" + item + "DataDirectory " +
                           missing + "\n" + local + "MissingRoot" + item;
  ASSERT_EQ(form.OpenBatchFileAt(WriteBatch(text)), 6);
  form.RunBatchFile();
  EXPECT_TRUE(form.BatchMode());
  ASSERT_TRUE(WaitUntilBatchEnds());
  EXPECT_EQ(view_.batchFinished, std::make_pair(6, false));
  // Only refusals of the output root are shown (the summary table lives
  // there, so they name the item and why the table did not take them);
  // nothing else waited for a click.
  EXPECT_EQ(WithoutSeries(view_.Texts()),
            (std::vector<std::string>{
                "Root directory for output is not specified: enter the folder below "
                "which each run writes its results.",
                "MissingRoot: Please specify an existing directory for the output: " + missing +
                    " (not added to " + missing + "/summary.tst: No such file or directory)",
                "6 items processed in batch mode: 2 completed, 1 failed, "
                "3 refused, 0 stopped"}));
  EXPECT_EQ(view_.messages[1].caption, kSummaryNotWritten);
  EXPECT_EQ(view_.messages.back().caption, "");
  EXPECT_TRUE(FileExists(root_ + "One/One.dat"));
  EXPECT_TRUE(FileExists(root_ + "Three/Three.dat"));
  const std::string summary = ReadFile(root_ + "summary.tst");
  EXPECT_NE(summary.find("Bad'Name: The data name Bad'Name must not contain quotes\n"),
            std::string::npos)
      << summary;
  EXPECT_NE(summary.find("\nMissing: "), std::string::npos) << summary;
  EXPECT_NE(summary.find("\nOne\t"), std::string::npos) << summary;
  // Only the batch's first run started a fresh log; later runs append.
  EXPECT_FALSE(form.StartNewLog());
  const std::string log = ReadFile(temp_ + "egg.log");
  EXPECT_NE(log.find("\nOne\n"), std::string::npos);
  EXPECT_NE(log.find("\nThree\n"), std::string::npos);
  EXPECT_EQ(form.resolution(), 1);
}

TEST_F(BatchRunTest, ABatchStoresOnlyTheReducedDftSize) {
  store_->WriteText("DataDir", "/kept");
  store_->WriteInt("SmoothWindowSize", 777);
  AnalysisDialog& form = MakeForm();
  ASSERT_EQ(form.OpenBatchFileAt(LocalBatch(
                {"Dft"}, "DFTOutput 1 50000\nSmoothingWindowSize 600\nCompareIntervals 1 60\n")),
            1);
  form.RunBatchFile();
  ASSERT_TRUE(WaitUntilBatchEnds());
  EXPECT_EQ(store_->ReadInt("DFTSize", 0), 32768);
  EXPECT_EQ(store_->ReadText("DataDir", ""), "/kept");
  EXPECT_EQ(store_->ReadInt("SmoothWindowSize", 0), 777);
  EXPECT_EQ(store_->ReadInt("Int1Start", -1), -1);
  // The same request outside batch mode stores its values.
  ASSERT_TRUE(MakeForm().AnalyzeData());
  EXPECT_EQ(store_->ReadText("DataDir", ""), root_);
  ASSERT_TRUE(WaitUntilIdle());
}

TEST_F(BatchRunTest, StopEndsTheCurrentItemAndTheBatch) {
  AnalysisDialog& form = MakeForm();
  ASSERT_EQ(form.OpenBatchFileAt(LocalBatch({"First", "Second", "Third"})), 3);
  form.RunBatchFile();
  ASSERT_TRUE(form.Busy());
  form.Stop();
  ASSERT_TRUE(WaitUntilBatchEnds());
  EXPECT_EQ(view_.batchFinished, std::make_pair(1, true));
  // The first item ended as stopped (with its summary line), or, when its
  // run was quicker than the press, as completed.
  const bool stopped = form.BatchReports().at(0).outcome == RunOutcome::kStopped;
  EXPECT_EQ(WithoutSeries({view_.messages.back().text}).front(),
            std::string("1 items processed in batch mode: ") +
                (stopped ? "0 completed, 0 failed, 0 refused, 1 stopped; 2 not started"
                         : "1 completed, 0 failed, 0 refused, 0 stopped; 2 not started"));
  EXPECT_EQ(ReadFile(root_ + "summary.tst").find("First: Stopped by user\n") != std::string::npos,
            stopped);
  EXPECT_FALSE(FileExists(root_ + "Second"));
  // The items stay loaded and can be run again.
  form.RunBatchFile();
  ASSERT_TRUE(WaitUntilBatchEnds());
  EXPECT_EQ(view_.batchFinished, std::make_pair(3, false));
  EXPECT_TRUE(FileExists(root_ + "Third/Third.dat"));
}

}  // namespace
}  // namespace corvane::testing
