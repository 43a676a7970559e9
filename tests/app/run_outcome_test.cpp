// Runs and batches through the form: what the form says when they end, the
// results table they add to and the settings a batch stores. Stops land in
// a download that the stand-in server holds.
#include <gtest/gtest.h>

#include <tuple>

#include "app/analysis_dialog.h"
#include "app/closing_words.h"
#include "app_test_support.h"
#include "core/progress_log.h"
#include "core/summary_line.h"
#include "dataserver/data_server.h"
#include "support/text_lines.h"

namespace corvane::testing {
namespace {

// A batch record's times: the fixture's hour of data.
const std::string kRange = " 2011-05-03 00:00:00 2011-05-03 00:59:59\n";

class RunOutcomeTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    ASSERT_TRUE(server_.Start());
    dataserver::FaultPlan plan;
    plan.stallRequests = 1;
    plan.stallAfterBytes = 100;
    server_.SetFaults(plan);
  }
  void TearDown() override {
    FormTest::TearDown();
    server_.Stop();
  }
  // The form fetches its data from the server, which holds the first
  // download after 100 bytes.
  void UseServer(AnalysisDialog& form) {
    form.config.dataUrl = server_.DataUrl();
    form.fields.remoteAccess = true;
  }
  // Presses Stop once the held download has begun (for the named run).
  bool StopInDownload(AnalysisDialog& form, const std::string& dataName) {
    if (!RunEventsUntil(
            [&] { return form.fields.dataName == dataName && form.fields.bytesReceived >= 100; })) {
      return false;
    }
    form.Stop();
    return true;
  }

  dataserver::DataServer server_{dataserver::ServerOptions{"127.0.0.1", 0, "", "", 6, 1}};
};

// The items run one after another whatever became of the one before; only
// refusals of the output root are shown (the summary table lives there, so
// they name the item and why the table did not take them), nothing else
// waits for a click. A stop ends the batch. A batch stores no request
// values but the reduced DFT size, and its resolution lasts until it ends.
TEST_F(RunOutcomeTest, ABatchCountsItsItemsByOutcomeAndKeepsTheirReportsInOrder) {
  store_->WriteText("DataDir", "/kept");
  store_->WriteInt("SmoothWindowSize", 777);
  AnalysisDialog& form = MakeForm();
  SetLogProgress(true);
  const std::string local = "LocalEggFile " + eggFile_ + "\n";
  const std::string missing = dir_.File("missing");
  const std::string text = "Resolution 2\n" + local + "NoRoot" + kRange + "DataDirectory " + root_ +
                           "\nCompareIntervals 1 0 1800 1800\nDFTOutput 1 3000\n" +
                           "SmoothingWindowSize 600\n" + local + "One" + kRange + "LocalEggFile " +
                           dir_.File("data/missing.csv") + "\nMissing" + kRange + local +
                           "Bad'Name" + kRange + local + "Three" + kRange + "DataDirectory " +
                           missing + "\n" + local + "MissingRoot" + kRange + "DataDirectory " +
                           root_ + "\nFar" + kRange + "Later" + kRange;
  const std::string path = WriteBatch(text);
  view_.chooserAnswers.push_back(path);
  form.OpenBatchFile();  // its chooser: the window's test
  EXPECT_EQ(std::tie(form.fields.batchFile, form.fields.status, form.fields.dataName),
            std::tie(path, "8 items loaded", "NoRoot"));
  EXPECT_EQ(form.BatchItemCount(), 8);
  EXPECT_EQ(form.resolution(), 2);
  EXPECT_FALSE(form.BatchMode());
  UseServer(form);
  form.RunBatchFile();
  EXPECT_TRUE(form.BatchMode());
  ASSERT_TRUE(StopInDownload(form, "Far"));
  ASSERT_TRUE(WaitUntilBatchEnds());

  EXPECT_EQ(view_.batchFinished, std::make_pair(7, true));
  const std::vector<std::string> texts = view_.Texts();
  ASSERT_EQ(texts.size(), 3u) << ::testing::PrintToString(texts);
  EXPECT_EQ(texts[0],
            "Root directory for output is not specified: enter the folder below which each run "
            "writes its results.");
  EXPECT_EQ(texts[1],
            "MissingRoot: Please specify an existing directory for the output: " + missing +
                " (not added to " + missing + "/summary.tst: No such file or directory)");
  EXPECT_EQ(texts[2].rfind("7 items processed in batch mode: 2 completed, 1 failed, 3 refused, 1 "
                           "stopped; 1 not started\n\n",
                           0),
            0u)
      << texts[2];
  EXPECT_EQ(view_.messages[1].caption, kSummaryNotWritten);
  EXPECT_EQ(view_.messages.back().caption, "");
  const std::vector<RunReport>& reports = form.BatchReports();
  ASSERT_EQ(reports.size(), 7u);
  const RunOutcome outcomes[] = {RunOutcome::kRefused, RunOutcome::kCompleted, RunOutcome::kFailed,
                                 RunOutcome::kRefused, RunOutcome::kCompleted, RunOutcome::kRefused,
                                 RunOutcome::kStopped};
  const char* names[] = {"NoRoot", "One", "Missing", "Bad'Name", "Three", "MissingRoot", "Far"};
  for (size_t i = 0; i < reports.size(); ++i) {
    EXPECT_EQ(reports[i].outcome, outcomes[i]) << i;
    EXPECT_EQ(reports[i].dataName, names[i]) << i;
  }
  EXPECT_EQ(reports[1].outputDirectory, root_ + "One/");
  EXPECT_EQ(reports[3].message, "The data name Bad'Name must not contain quotes");

  // Each item that did not complete has its one line in the summary table,
  // beside the interval comparisons of those that did.
  const std::string summary = ReadFile(root_ + "summary.tst");
  EXPECT_NE(summary.find("\nOne\t"), std::string::npos) << summary;
  EXPECT_EQ(summary.find("One:"), std::string::npos) << summary;
  EXPECT_NE(summary.find("Missing: " + reports[2].message + "\n"), std::string::npos) << summary;
  EXPECT_NE(summary.find("\nBad'Name: " + reports[3].message + "\n"), std::string::npos);
  EXPECT_NE(summary.find("\nFar: Stopped by user\n"), std::string::npos) << summary;
  EXPECT_EQ(summary.find("Far:"), summary.rfind("Far:"));
  EXPECT_EQ(summary.find("Later"), std::string::npos);
  EXPECT_FALSE(FileExists(root_ + "Later"));
  // Only the batch's first run started a fresh log; later runs append.
  EXPECT_FALSE(form.StartNewLog());
  const std::string log = ReadFile(temp_ + "egg.log");
  EXPECT_NE(log.find("\nOne\n"), std::string::npos);
  EXPECT_NE(log.find("\nThree\n"), std::string::npos);
  EXPECT_EQ(form.resolution(), 1);
  EXPECT_EQ(store_->ReadInt("DFTSize", 0), 2048);
  EXPECT_EQ(store_->ReadText("DataDir", ""), "/kept");
  EXPECT_EQ(store_->ReadInt("SmoothWindowSize", 0), 777);
  EXPECT_EQ(store_->ReadInt("Int1Start", -1), -1);

  // The items stay loaded and can be run again, counted afresh (the server
  // holds only its first download). A results table with other columns is
  // told once, in the closing words, and the event series still written.
  const std::string foreign = "name,value\r\nmine,1\r\n";
  WriteFile(root_ + "results.csv", foreign);
  form.RunBatchFile();
  ASSERT_TRUE(WaitUntilBatchEnds());
  EXPECT_EQ(view_.batchFinished, std::make_pair(8, false));
  const std::string closing = view_.Texts().back();
  const std::string counts =
      "8 items processed in batch mode: 4 completed, 1 failed, 3 refused, 0 stopped\n\n";
  EXPECT_EQ(closing.rfind(counts + root_ + ":\nEvent series of 4 completed items:\n", 0), 0u)
      << closing;
  EXPECT_NE(closing.find("other columns"), std::string::npos) << closing;
  EXPECT_EQ(closing.find("other columns"), closing.rfind("other columns")) << closing;
  EXPECT_EQ(Lines(ReadFile(root_ + "series.csv")).size(), 3u);
  EXPECT_EQ(form.BatchReports().size(), 8u);
}

using BatchRunTest = FormTest;

// One item is told in the singular; a file of keywords only loads no
// items, and running it says so.
TEST_F(BatchRunTest, OpeningABatchFileShowsItsFirstItem) {
  AnalysisDialog& form = MakeForm("Before");
  EXPECT_EQ(form.OpenBatchFileAt(WriteBatch("Only" + kRange)), 1);
  EXPECT_EQ(std::tie(form.fields.status, form.fields.dataName), std::tie("1 item loaded", "Only"));
  EXPECT_EQ(form.OpenBatchFileAt(WriteBatch("Resolution 3\n")), 0);
  EXPECT_EQ(form.fields.status, "0 items loaded");
  form.RunBatchFile();
  ASSERT_EQ(view_.messages.size(), 1u);
  EXPECT_EQ(view_.messages[0].text, "There are no batch items to process");
  EXPECT_EQ(view_.messages[0].caption, std::nullopt);
  EXPECT_EQ(view_.messages[0].kind, MessageKind::kWarning);
  EXPECT_FALSE(form.BatchMode());
}

// A run that ended without results and said nothing is not left silent.
TEST(ClosingWordsTest, AFailureWithoutAMessageIsStillTold) {
  RunReport report;
  report.dataName = "Quake";
  for (const RunOutcome outcome : {RunOutcome::kFailed, RunOutcome::kRefused}) {
    report.outcome = outcome;
    EXPECT_EQ(RunClosingText(report), "Quake: The run ended without results");
    EXPECT_EQ(ItemSummaryText(report), "The run ended without results");
    report.message = "No useable records";
    EXPECT_EQ(RunClosingText(report), std::nullopt);
    EXPECT_EQ(ItemSummaryText(report), std::nullopt);
    report.message.clear();
  }
}

using ResultsRecorderTest = RunOutcomeTest;

// A failed run closes with its own message alone, a stopped one with only
// that it was stopped. Each run adds its record to the results table, under
// the run's time, no batch file and item 0, with why it ended without
// results.
TEST_F(ResultsRecorderTest, InteractiveRunsAppendTheirRecords) {
  ASSERT_TRUE(MakeForm("First").AnalyzeData());
  ASSERT_TRUE(WaitUntilIdle());

  view_.messages.clear();
  MakeForm("Missing").fields.localEggFile = dir_.File("data/missing.csv");
  ASSERT_TRUE(form_->AnalyzeData());
  ASSERT_TRUE(WaitUntilIdle());
  ASSERT_EQ(view_.Texts().size(), 1u) << ::testing::PrintToString(view_.Texts());
  const std::string failure = view_.Texts()[0];
  EXPECT_EQ(failure.rfind("Missing: ", 0), 0u) << failure;

  AnalysisDialog& form = MakeForm("Second");
  form.fields.compareIntervals = true;
  form.fields.interval1Start = 0;
  form.fields.interval2Start = 3000;
  form.fields.intervalDuration = 1800;
  ASSERT_TRUE(form.AnalyzeData());
  ASSERT_TRUE(WaitUntilIdle());

  view_.messages.clear();
  UseServer(MakeForm("Far"));
  ASSERT_TRUE(form_->AnalyzeData());
  ASSERT_TRUE(StopInDownload(*form_, "Far"));
  ASSERT_TRUE(WaitUntilIdle());
  EXPECT_EQ(view_.Texts(), std::vector<std::string>{"Far: Stopped by user"});
  EXPECT_FALSE(FileExists(root_ + "summary.tst"));

  const std::vector<std::string> lines = Lines(ReadFile(root_ + "results.csv"));
  ASSERT_EQ(lines.size(), 5u);
  const char* const names[] = {"First", "Missing", "Second", "Far"};
  const char* const ends[] = {",completed,,60,3600,", ",failed,", ",completed,,60,3600,",
                              ",stopped,Stopped by user,"};
  for (int i = 0; i < 4; ++i) {
    const std::string& line = lines[i + 1];
    EXPECT_EQ(line.find(std::string(",,0,") + names[i] + ",2011-05-03 00:00:00,"), 19u) << line;
    EXPECT_NE(line.find(ends[i]), std::string::npos) << line;
  }
  EXPECT_NE(lines[1].find(",local," + eggFile_ + ","), std::string::npos) << lines[1];
  EXPECT_NE(lines[2].find(failure.substr(9)), std::string::npos) << lines[2];
  // The second run's comparison was refused; its run completed.
  EXPECT_NE(lines[3].find(",1,0,3000,1800,The second interval extends past the end of data,"),
            std::string::npos)
      << lines[3];

  // A table with other columns is left alone and named.
  view_.messages.clear();
  const std::string foreign = "name,value\r\nmine,1\r\n";
  WriteFile(root_ + "results.csv", foreign);
  ASSERT_TRUE(MakeForm("Run").AnalyzeData());
  ASSERT_TRUE(WaitUntilIdle());
  const std::vector<std::string> texts = view_.Texts();
  ASSERT_EQ(texts.size(), 2u) << ::testing::PrintToString(texts);
  EXPECT_EQ(texts[0].rfind("Finished processing", 0), 0u) << texts[0];
  EXPECT_EQ(texts[1].rfind(root_ + "results.csv holds a table with other columns", 0), 0u)
      << texts[1];
}

}  // namespace
}  // namespace corvane::testing
