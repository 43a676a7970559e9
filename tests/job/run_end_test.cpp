// How a job ends: on every road exactly once, with one end-of-run
// notification and one Cleanup (and the whole progress log of a normal end),
// and a report of its outcome; requests it refuses, and files without a
// record in range, end it before anything is written; the writability probes
// of its directories.
#include <filesystem>

#include <gtest/gtest.h>

#include "input/egg_file_reader.h"
#include "job_harness.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using testing::ActingLink;
using testing::DataRange;
using testing::JobHarness;
using testing::ReadFile;

constexpr const char* kStart = "2011-05-03 10:00:00";
constexpr const char* kStop = "2011-05-03 12:00:00";

TEST(RunEndTest, EveryRoadEndsTheJobOnceWithOneNotificationAndOneCleanup) {
  const struct {
    std::string road;
    bool thread = false;
    std::string trigger = "-";
    std::vector<std::string> messages = {};
    const char* neverLogged = nullptr;
    RunOutcome outcome = RunOutcome::kStopped;
    std::string failure = "";
  } cases[] = {
      {"Stop twice before the first tick"},
      {"refused by the form after it was made"},
      {"empty root directory",
       false,
       "-",
       {"You must specify a root directory for the output"},
       nullptr,
       RunOutcome::kRefused,
       "You must specify a root directory for the output"},
      {"destroyed early", true},
      {"normal end", false, "-", {}, nullptr, RunOutcome::kCompleted},
      {"normal end", true, "-", {}, nullptr, RunOutcome::kCompleted},
      {"failure",
       true,
       "Computing statistics",
       {"Quake: Unexpected failure: status line unavailable"},
       "Write results",
       RunOutcome::kFailed,
       "Unexpected failure: status line unavailable"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.road + (c.thread ? " on its thread " : " ") + c.trigger);
    ActingLink link;
    JobHarness h(&link);
    link.job = h.job.get();
    link.trigger = c.trigger;
    link.fail = c.road == "failure";
    testing::ProgressLogCapture log(h.dir.File("egg.log"));
    const std::string data = h.WriteData("q.csv", DataRange(kStart, kStop));
    if (c.road != "empty root directory") h.Configure();
    ASSERT_TRUE(!c.thread || h.job->StartThread());
    if (c.road == "Stop twice before the first tick") {
      h.job->StopAnalysis();
      h.job->StopAnalysis();
      h.TickUntilEnded();
      EXPECT_TRUE(h.job->Ended());
      EXPECT_EQ(link.statuses().back(), "");
    } else if (c.road == "refused by the form after it was made") {
      h.job->StopAnalysis();  // never ticked: the destructor ends it
    } else if (c.road == "empty root directory") {
      h.job->SetTempDirectory(h.temp, true);
      h.job->SetLocalEggFile(data);
      h.job->StartAnalysis(false, "Quake", kStart, kStop);
      h.job->StopAnalysis();
      h.TickUntilEnded();
      EXPECT_TRUE(h.job->Ended());
    } else if (c.road != "destroyed early") {
      h.StartLocalRun("Quake", data, kStart, kStop);
      ASSERT_TRUE(!c.thread || link.WaitForRunEnded(60s));
      h.TickUntilEnded();
      EXPECT_EQ(h.job->JobStage(), 0);
      if (c.road == "normal end") {
        EXPECT_EQ(
            testing::Lines(log.Contents()),
            (std::vector<std::string>{"", "", "Quake", "Process local file(s)", "Read local file",
                                      "Compute statistics", "Write results", h.gnuplot,
                                      h.Output("Quake", "Quake.gp -persist"), "Launching wgnuplot",
                                      "Launch was successful", "CEggStatistics::Cleanup done",
                                      "Exit CEggStatistics"}));
      }
    }
    EXPECT_LE(link.runEndedCount(), 1);
    h.job.reset();
    EXPECT_EQ(link.runEndedCount(), 1);
    EXPECT_EQ(link.messageTexts(), c.messages);
    const RunReport report = link.report();
    EXPECT_EQ(report.outcome, c.outcome);
    EXPECT_EQ(report.message, c.failure);
    const std::string text = log.Contents();
    EXPECT_EQ(testing::Count(text, "CEggStatistics::Cleanup done\nExit CEggStatistics\n"), 1);
    EXPECT_EQ(c.neverLogged ? text.find(c.neverLogged) : text.npos, text.npos);
  }
}

TEST(RunEndTest, RequestsThatCannotRunEndBeforeAnythingIsWritten) {
  const auto resolution = [](int value) {
    return "Quake: Resolution " + std::to_string(value) + " is outside the allowed range 1 to " +
           std::to_string(kMaxResolution);
  };
  const struct {
    std::function<void(CEggStatistics&)> set;
    std::string message;
    bool batch = false;
    const char* name = "Quake";
    const char* start = kStart;
    const char* stop = kStop;
    RunOutcome outcome = RunOutcome::kRefused;  // before reading; after: failed
  } cases[] = {
      {[](CEggStatistics& job) { job.SetResolution(0); }, resolution(0)},
      {[](CEggStatistics& job) { job.SetResolution(kMaxResolution + 1); },
       resolution(kMaxResolution + 1), true},
      {[](CEggStatistics& job) { job.SetSmoothing(2, 1, 0.001); },
       "Quake: The triangle smoothing window must be at least 2"},
      {[](CEggStatistics& job) { job.SetDft(true, 1); }, "Quake: The DFT size must be at least 2"},
      {[](CEggStatistics& job) {
         job.SetCompareIntervals(true);
         job.SetIntervals(-60, 3600, 60);
       },
       "Quake: The interval starts must not be negative"},
      {[](CEggStatistics&) {}, "Quake: No useable records", false, "Quake", "2011-06-03 10:00:00",
       "2011-06-03 11:00:00", RunOutcome::kFailed},
      {[](CEggStatistics&) {},
       "../escape: The data name \"../escape\" must not contain a path separator", false,
       "../escape"},
      {[](CEggStatistics&) {}, "Quake: Invalid date format", false, "Quake", "2011-02-30 00:00:00"},
      {[](CEggStatistics&) {}, "Quake: The time range covers more than 36600 calendar days", false,
       "Quake", "1970-01-01 00:00:00", "9999-12-31 23:59:59"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    JobHarness h;
    h.Configure();
    h.job->SetLocalEggFile(h.WriteData("q.csv", DataRange(kStart, kStop)));
    c.set(*h.job);
    h.job->StartAnalysis(c.batch, c.name, c.start, c.stop);
    h.TickUntilEnded();
    EXPECT_EQ(h.link.runEndedCount(), 1);
    EXPECT_EQ(h.link.report().outcome, c.outcome);
    EXPECT_EQ(c.name + (": " + h.link.report().message), c.message);
    // In batch mode the refusal is a line of the summary table, not a box.
    EXPECT_EQ(h.link.messageTexts(), c.batch ? std::vector<std::string>{} : std::vector{c.message});
    EXPECT_EQ(ReadFile(h.root + "summary.tst"), c.batch ? c.message + "\n" : "");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(h.root), {}), c.batch ? 1 : 0);
    EXPECT_FALSE(testing::FileExists(h.dir.File("escape")));
  }
}

TEST(RunEndTest, TheWritabilityProbesRefuseWhatCannotTakeAFileAndLeaveAUsersFilesAlone) {
  JobHarness h;
  testing::WriteFile(h.temp + "test.dat", "the user's own data\n");
  EXPECT_TRUE(h.job->SetTempDirectory(h.temp.substr(0, h.temp.size() - 1), false));
  EXPECT_EQ(h.job->context().settings.tempDirectory, h.temp);
  EXPECT_TRUE(h.job->SetRemoteSaveDirectory(true, h.temp, true));
  EXPECT_EQ(ReadFile(h.temp + "test.dat"), "the user's own data\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(h.temp), {}), 1);
  testing::WriteFile(h.dir.File("plain"), "x");
  for (const std::string& bad : {h.dir.File("plain"), h.dir.File("no/such/dir"), std::string()}) {
    EXPECT_FALSE(h.job->SetTempDirectory(bad, false)) << bad;
  }
  EXPECT_FALSE(h.job->SetRemoteSaveDirectory(true, h.dir.File("plain"), false));
}

}  // namespace
}  // namespace corvane
