// Running batch files through the form: items one after another, refusals
// and run errors as summary lines, the settings a batch stores, Stop, and
// the state after a batch.
#include <gtest/gtest.h>

#include "app/analysis_dialog.h"
#include "core/progress_log.h"
#include "form_fixture.h"
#include "job/egg_statistics.h"

namespace corvane {
namespace {

using testing::FormTest;

class BatchRunTest : public FormTest {
 protected:
  // A batch of items over the fixture's hour of data.
  std::string LocalBatch(const std::vector<std::string>& names, const std::string& keywords = "") {
    std::string text = "DataDirectory " + root_ + "\n" + keywords;
    for (const std::string& name : names) {
      text +=
          "LocalEggFile " + eggFile_ + "\n" + name + " 2011-05-03 00:00:00 2011-05-03 00:59:59\n";
    }
    return WriteBatch("run.ebb", text);
  }
};

TEST_F(BatchRunTest, OpeningABatchFileShowsItsFirstItem) {
  AnalysisDialog& form = MakeForm();
  form.fields.dataName = "Before";
  const std::string path = LocalBatch({"First", "Second"}, "Resolution 2\n");
  view_.chooserAnswers.push_back(path);
  form.OpenBatchFile();
  EXPECT_EQ(view_.chooserTitles.at(0), "Open Batch File");
  EXPECT_EQ(view_.chooserFilters.at(0), "Batch file (*.ebb)|*.ebb|All Files (*.*)|*.*||");
  EXPECT_EQ(form.fields.batchFile, path);
  EXPECT_EQ(form.BatchItemCount(), 2);
  EXPECT_EQ(form.fields.dataName, "First");
  EXPECT_EQ(form.fields.startTime, "2011-05-03 00:00:00");
  EXPECT_EQ(form.fields.localEggFile, eggFile_);
  EXPECT_FALSE(form.fields.remoteAccess);
  EXPECT_EQ(form.resolution(), 2);
  EXPECT_FALSE(form.BatchMode());

  // A file of keywords only loads no items.
  EXPECT_EQ(form.OpenBatchFileAt(WriteBatch("keywords.ebb", "Resolution 3\n")), 0);
  view_.messages.clear();
  form.RunBatchFile();
  ASSERT_EQ(view_.messages.size(), 1u);
  EXPECT_EQ(view_.messages[0].text, "There are no batch items to process");
  EXPECT_EQ(view_.messages[0].caption, std::nullopt);
  EXPECT_FALSE(form.BatchMode());
}

TEST_F(BatchRunTest, ItemsRunOneAfterAnotherAndRefusalsGoToTheSummary) {
  AnalysisDialog& form = MakeForm();
  SetLogProgress(true);
  ASSERT_EQ(form.OpenBatchFileAt(
                LocalBatch({"One", "Bad'Name", "Three"}, "CompareIntervals 1 0 1800 1800\n")),
            3);
  form.RunBatchFile();
  EXPECT_TRUE(form.BatchMode());
  ASSERT_TRUE(WaitUntilBatchEnds());
  EXPECT_EQ(form.NextBatchIndex(), 3);
  EXPECT_EQ(view_.batchFinished, std::make_pair(3, false));
  ASSERT_FALSE(view_.messages.empty());
  EXPECT_EQ(view_.messages.back().text, "3 items processed in batch mode");
  EXPECT_EQ(view_.messages.back().caption, std::optional<std::string>(""));
  EXPECT_EQ(view_.messages.size(), 1u) << view_.messages[0].text;  // nothing waited for a click
  EXPECT_TRUE(testing::FileExists(root_ + "One/One.dat"));
  EXPECT_TRUE(testing::FileExists(root_ + "Three/Three.dat"));
  const std::string summary = Summary();
  EXPECT_NE(summary.find("Bad'Name: The data name Bad'Name must not contain quotes\n"),
            std::string::npos)
      << summary;
  EXPECT_NE(summary.find("\nOne\t"), std::string::npos) << summary;
  EXPECT_NE(summary.find("\nThree\t"), std::string::npos) << summary;
  // Only the batch's first run started a fresh log; later runs append.
  EXPECT_FALSE(form.StartNewLog());
  const std::string log = testing::ReadFile(temp_ + "egg.log");
  EXPECT_NE(log.find("\nOne\n"), std::string::npos);
  EXPECT_NE(log.find("\nThree\n"), std::string::npos);
  // The form is idle again, with resolution 1.
  EXPECT_FALSE(form.Busy());
  EXPECT_EQ(form.resolution(), 1);
}

TEST_F(BatchRunTest, RunErrorsOfABatchGoToTheSummaryTable) {
  AnalysisDialog& form = MakeForm();
  const std::string text = "DataDirectory " + root_ + "\nLocalEggFile " + dir_.File("nothing.csv") +
                           "\nMissing 2011-05-03 00:00:00 2011-05-03 00:59:59\n";
  ASSERT_EQ(form.OpenBatchFileAt(WriteBatch("missing.ebb", text)), 1);
  form.RunBatchFile();
  ASSERT_TRUE(WaitUntilBatchEnds());
  EXPECT_EQ(view_.MessageTexts(), std::vector<std::string>{"1 items processed in batch mode"});
  EXPECT_EQ(Summary().rfind("Missing: ", 0), 0u) << Summary();
}

TEST_F(BatchRunTest, ABatchStoresOnlyTheReducedDftSize) {
  store_->WriteText("DataDir", "/kept");
  store_->WriteInt("SmoothWindowSize", 777);
  store_->WriteInt("Int1Start", 5);
  AnalysisDialog& form = MakeForm();
  ASSERT_EQ(form.OpenBatchFileAt(LocalBatch({"Dft"},
                                            "DFTOutput 1 50000\nSmoothingWindowSize "
                                            "600\nCompareIntervals 1 60\n")),
            1);
  form.RunBatchFile();
  ASSERT_TRUE(WaitUntilBatchEnds());
  EXPECT_EQ(store_->ReadInt("DFTSize", 0), 32768);
  EXPECT_EQ(store_->ReadText("DataDir", ""), "/kept");
  EXPECT_EQ(store_->ReadInt("SmoothWindowSize", 0), 777);
  EXPECT_EQ(store_->ReadInt("Int1Start", 0), 5);
  EXPECT_EQ(store_->ReadInt("DFT", -1), -1);
  // The same request outside batch mode stores its values.
  SetLocalRequest("Interactive");
  ASSERT_TRUE(form.AnalyzeData());
  EXPECT_EQ(store_->ReadText("DataDir", ""), root_);
  EXPECT_EQ(store_->ReadInt("SmoothWindowSize", 0), 600);
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
  EXPECT_EQ(view_.messages.back().text, "1 items processed in batch mode");
  EXPECT_FALSE(testing::FileExists(root_ + "Second"));
  EXPECT_FALSE(form.Busy());
  // The items stay loaded and can be run again.
  EXPECT_EQ(form.BatchItemCount(), 3);
  form.RunBatchFile();
  ASSERT_TRUE(WaitUntilBatchEnds());
  EXPECT_EQ(view_.batchFinished, std::make_pair(3, false));
  EXPECT_TRUE(testing::FileExists(root_ + "Third/Third.dat"));
}

TEST_F(BatchRunTest, AnItemRefusedForItsOutputRootIsShownAndTheBatchGoesOn) {
  AnalysisDialog& form = MakeForm();
  const std::string text = "LocalEggFile " + eggFile_ +
                           "\nNoRoot 2011-05-03 00:00:00 2011-05-03 00:59:59\nDataDirectory " +
                           root_ + "\nLocalEggFile " + eggFile_ +
                           "\nWithRoot 2011-05-03 00:00:00 2011-05-03 00:59:59\nDataDirectory " +
                           dir_.File("missing") + "\nLocalEggFile " + eggFile_ +
                           "\nMissingRoot 2011-05-03 00:00:00 2011-05-03 00:59:59\n";
  ASSERT_EQ(form.OpenBatchFileAt(WriteBatch("roots.ebb", text)), 3);
  form.RunBatchFile();
  ASSERT_TRUE(WaitUntilBatchEnds());
  EXPECT_EQ(view_.MessageTexts(),
            (std::vector<std::string>{
                "Data directory is unspecified",
                "Please specify an existing directory for the output: " + dir_.File("missing"),
                "3 items processed in batch mode"}));
  EXPECT_TRUE(testing::FileExists(root_ + "WithRoot/WithRoot.dat"));
}

}  // namespace
}  // namespace corvane
