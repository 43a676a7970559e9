// What the form says when a run or a batch ends: "Finished processing" only
// after a run that wrote its results, a failure's own message alone, a stop
// as a stop; a batch counts its items by outcome and keeps their reports in
// item order. Stops land in a download that the stand-in server holds.
#include <gtest/gtest.h>

#include "app/analysis_dialog.h"
#include "app/closing_words.h"
#include "app_test_support.h"
#include "dataserver/data_server.h"

namespace corvane::testing {
namespace {

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

TEST_F(RunOutcomeTest, AnInteractiveRunClosesWithItsOutcome) {
  // Completed: where the results are.
  ASSERT_TRUE(MakeForm("Done").AnalyzeData());
  ASSERT_TRUE(WaitUntilIdle());
  EXPECT_EQ(view_.Texts(),
            std::vector<std::string>{"Finished processing. The results are in " + root_ + "Done/"});
  EXPECT_EQ(view_.messages.back().caption, "");
  EXPECT_TRUE(FileExists(root_ + "Done/Done.dat"));

  // Failed: its own message stands alone.
  for (const std::string name : {"Missing", "Wide"}) {
    SCOPED_TRACE(name);
    view_.messages.clear();
    AnalysisDialog& form = MakeForm(name);
    if (name == "Missing") form.fields.localEggFile = dir_.File("data/missing.csv");
    if (name == "Wide") {
      form.fields.smoothWindowType = 1;  // a rectangle longer than the hour
      form.fields.smoothWindowSize = 7200;
    }
    ASSERT_TRUE(form.AnalyzeData());
    ASSERT_TRUE(WaitUntilIdle());
    ASSERT_EQ(view_.Texts().size(), 1u) << ::testing::PrintToString(view_.Texts());
    EXPECT_EQ(view_.Texts()[0].rfind(name + ": ", 0), 0u) << view_.Texts()[0];
    EXPECT_FALSE(FileExists(root_ + name + "/" + name + ".inf"));
  }

  // Stopped during its download: only that it was stopped.
  view_.messages.clear();
  AnalysisDialog& form = MakeForm("Far");
  UseServer(form);
  ASSERT_TRUE(form.AnalyzeData());
  ASSERT_TRUE(StopInDownload(form, "Far"));
  ASSERT_TRUE(WaitUntilIdle());
  EXPECT_EQ(view_.Texts(), std::vector<std::string>{"Far: Stopped by user"});
  EXPECT_FALSE(FileExists(root_ + "summary.tst"));
}

TEST_F(RunOutcomeTest, ABatchCountsItsItemsByOutcomeAndKeepsTheirReportsInOrder) {
  AnalysisDialog& form = MakeForm();
  const std::string range = " 2011-05-03 00:00:00 2011-05-03 00:59:59\n";
  const std::string text = "DataDirectory " + root_ + "\nLocalEggFile " + eggFile_ + "\nDone" +
                           range + "LocalEggFile " + dir_.File("data/missing.csv") + "\nMissing" +
                           range + "LocalEggFile " + eggFile_ + "\nBad'Name" + range + "Far" +
                           range + "Later" + range;
  ASSERT_EQ(form.OpenBatchFileAt(WriteBatch(text)), 5);
  UseServer(form);
  form.RunBatchFile();
  ASSERT_TRUE(StopInDownload(form, "Far"));
  ASSERT_TRUE(WaitUntilBatchEnds());

  EXPECT_EQ(view_.batchFinished, std::make_pair(4, true));
  EXPECT_EQ(WithoutSeries(view_.Texts()),
            std::vector<std::string>{"4 items processed in batch mode: 1 completed, "
                                     "1 failed, 1 refused, 1 stopped; 1 not started"});
  const std::vector<RunReport>& reports = form.BatchReports();
  ASSERT_EQ(reports.size(), 4u);
  const RunOutcome outcomes[] = {RunOutcome::kCompleted, RunOutcome::kFailed, RunOutcome::kRefused,
                                 RunOutcome::kStopped};
  const char* names[] = {"Done", "Missing", "Bad'Name", "Far"};
  for (size_t i = 0; i < reports.size(); ++i) {
    EXPECT_EQ(reports[i].outcome, outcomes[i]) << i;
    EXPECT_EQ(reports[i].dataName, names[i]) << i;
  }
  EXPECT_EQ(reports[0].outputDirectory, root_ + "Done/");
  EXPECT_NE(reports[1].message.find("missing.csv"), std::string::npos) << reports[1].message;
  EXPECT_EQ(reports[2].message, "The data name Bad'Name must not contain quotes");
  EXPECT_EQ(reports[3].message, "");

  // Each item that did not complete has its one line in the summary table.
  EXPECT_TRUE(FileExists(root_ + "Done/Done.inf"));
  const std::string summary = ReadFile(root_ + "summary.tst");
  EXPECT_EQ(summary.find("Done"), std::string::npos) << summary;
  EXPECT_NE(summary.find("Missing: " + reports[1].message + "\n"), std::string::npos) << summary;
  EXPECT_NE(summary.find("\nBad'Name: " + reports[2].message + "\n"), std::string::npos);
  EXPECT_NE(summary.find("\nFar: Stopped by user\n"), std::string::npos) << summary;
  EXPECT_EQ(summary.find("Far:"), summary.rfind("Far:"));
  EXPECT_EQ(summary.find("Later"), std::string::npos);

  // Run again without a stop: the counts start afresh.
  view_.messages.clear();
  ASSERT_EQ(form.OpenBatchFileAt(WriteBatch("DataDirectory " + root_ + "\nLocalEggFile " +
                                            eggFile_ + "\nAgain" + range)),
            1);
  form.RunBatchFile();
  ASSERT_TRUE(WaitUntilBatchEnds());
  EXPECT_EQ(WithoutSeries(view_.Texts()),
            std::vector<std::string>{"1 items processed in batch mode: 1 completed, "
                                     "0 failed, 0 refused, 0 stopped"});
  EXPECT_EQ(form.BatchReports().size(), 1u);
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

}  // namespace
}  // namespace corvane::testing
