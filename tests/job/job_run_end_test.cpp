// Local runs that end before their results: no usable records or eggs, a
// Stop in the middle of a step, a failure that throws on the job's thread.
#include <chrono>
#include <stdexcept>

#include <gtest/gtest.h>

#include "core/date_time.h"
#include "core/progress_log.h"
#include "eggdata/egg_data_generator.h"
#include "job_harness.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using eggdata::EggDataOptions;
using testing::DataRange;
using testing::FileExists;
using testing::JobHarness;
using testing::ProgressLogCapture;
using testing::ReadFile;
using testing::RecordingLink;
using testing::WriteFile;

// A form link that acts when the run posts a given status: it presses Stop
// (as the form's thread would at that moment) or fails.
class ActingLink : public RecordingLink {
 public:
  enum class Act { kStop, kThrow };
  ActingLink(std::string trigger, Act act) : trigger_(std::move(trigger)), act_(act) {}
  void PostStatus(const std::string& text) override {
    RecordingLink::PostStatus(text);
    if (text != trigger_ || job == nullptr) return;
    if (act_ == Act::kStop) {
      job->StopAnalysis();
    } else {
      throw std::runtime_error("status line unavailable");
    }
  }
  CEggStatistics* job = nullptr;

 private:
  std::string trigger_;
  Act act_;
};

TEST(JobRunEndTest, FilesWithoutAnInRangeRecordEndTheRunOnce) {
  for (int days : {1, 3}) {
    JobHarness h;
    ProgressLogCapture log(h.dir.File("egg.log"));
    // The files hold May 2011; the run asks for June.
    ASSERT_EQ(
        eggdata::WriteEggDataDays(h.dir.File("quake.csv"),
                                  DataRange("2011-05-03 22:00:00", "2011-05-05 01:00:00"), false)
            .size(),
        3u);
    const std::string stop = days == 1 ? "2011-06-03 23:00:00" : "2011-06-05 01:00:00";
    h.StartLocalRun("Quake", h.dir.File("quake.csv"), "2011-06-03 22:00:00", stop);
    h.TickUntilEnded();
    EXPECT_EQ(h.link.messageTexts(), std::vector<std::string>{"Quake: No useable records"}) << days;
    EXPECT_EQ(h.link.runEndedCount(), 1);
    EXPECT_EQ(h.job->JobStage(), 0);
    EXPECT_FALSE(FileExists(h.OutputDirectory("Quake")));
    EXPECT_EQ(log.Contents().find("Compute statistics"), std::string::npos);
  }
}

TEST(JobRunEndTest, ASubgroupWithoutAnEggOfTheDataEndsWithNoUseableEggs) {
  for (bool batch : {false, true}) {
    JobHarness h;
    ASSERT_TRUE(eggdata::WriteEggDataFile(
        h.dir.File("quake.csv"), DataRange("2011-05-03 10:00:00", "2011-05-03 11:00:00"), false));
    WriteFile(h.dir.File("none.esg"), "# eggs that this file lacks\n2\n4001 4002\n");
    h.job->ReadEggGroupFile(h.dir.File("none.esg"));
    h.StartLocalRun("Quake", h.dir.File("quake.csv"), "2011-05-03 10:00:00", "2011-05-03 11:00:00",
                    batch);
    h.TickUntilEnded();
    if (batch) {
      EXPECT_TRUE(h.link.messages().empty());
      EXPECT_EQ(ReadFile(h.root + "summary.tst"), "Quake: No useable eggs\n");
    } else {
      EXPECT_EQ(h.link.messageTexts(), std::vector<std::string>{"Quake: No useable eggs"});
    }
    EXPECT_EQ(h.link.runEndedCount(), 1);
    EXPECT_FALSE(FileExists(h.OutputDirectory("Quake")));
  }
}

TEST(JobRunEndTest, AStopDuringAStepEndsTheRunAfterIt) {
  for (const char* when : {"Reading local file", "Computing statistics", "Smoothing data"}) {
    ActingLink link(when, ActingLink::Act::kStop);
    JobHarness h(&link);
    link.job = h.job.get();
    ProgressLogCapture log(h.dir.File("egg.log"));
    ASSERT_TRUE(eggdata::WriteEggDataFile(
        h.dir.File("quake.csv"), DataRange("2011-05-03 10:00:00", "2011-05-03 12:00:00"), false));
    h.StartLocalRun("Quake", h.dir.File("quake.csv"), "2011-05-03 10:00:00", "2011-05-03 12:00:00");
    h.TickUntilEnded(1);
    EXPECT_TRUE(h.job->Ended()) << when;
    EXPECT_TRUE(link.messages().empty()) << when;
    EXPECT_EQ(link.runEndedCount(), 1);
    EXPECT_EQ(h.job->JobStage(), 0);
    EXPECT_EQ(log.Contents().find("Write results"), std::string::npos) << when;
    EXPECT_FALSE(FileExists(h.OutputDirectory("Quake") + "Quake.dat")) << when;
  }
}

TEST(JobRunEndTest, AFailureOnTheJobsThreadIsReportedAndEndsTheRun) {
  ActingLink link("Computing statistics", ActingLink::Act::kThrow);
  JobHarness h(&link);
  link.job = h.job.get();
  ASSERT_TRUE(eggdata::WriteEggDataFile(
      h.dir.File("quake.csv"), DataRange("2011-05-03 10:00:00", "2011-05-03 11:00:00"), false));
  ASSERT_TRUE(h.job->StartThread());
  h.StartLocalRun("Quake", h.dir.File("quake.csv"), "2011-05-03 10:00:00", "2011-05-03 11:00:00");
  ASSERT_TRUE(link.WaitForRunEnded(30s));
  EXPECT_EQ(link.messageTexts(),
            std::vector<std::string>{"Quake: Unexpected failure: status line unavailable"});
  h.job.reset();
  EXPECT_EQ(link.runEndedCount(), 1);
}

}  // namespace
}  // namespace corvane
