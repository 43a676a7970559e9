// How a job ends: exactly once, with one end-of-run notification, on every
// road (stopped early, refused, destroyed, run on its own thread).
#include <chrono>

#include <gtest/gtest.h>

#include "core/progress_log.h"
#include "job_harness.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using testing::DataRange;
using testing::FileExists;
using testing::JobHarness;
using testing::ProgressLogCapture;

constexpr const char* kClosingLines = "CEggStatistics::Cleanup done\nExit CEggStatistics\n";

int Count(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST(JobLifecycleTest, StopBeforeTheFirstTickEndsTheJobOnce) {
  JobHarness h;
  ProgressLogCapture log(h.dir.File("egg.log"));
  h.Configure();
  h.job->StopAnalysis();
  h.job->StopAnalysis();
  for (int i = 0; i < 3; ++i) h.job->OnJobTimer();
  EXPECT_TRUE(h.job->Ended());
  EXPECT_EQ(h.job->JobStage(), 0);
  EXPECT_EQ(h.link.runEndedCount(), 1);
  ASSERT_FALSE(h.link.statuses().empty());
  EXPECT_EQ(h.link.statuses().back(), "");
  h.job.reset();
  EXPECT_EQ(h.link.runEndedCount(), 1);
  EXPECT_EQ(Count(log.Contents(), kClosingLines), 1);
}

TEST(JobLifecycleTest, IdleTicksDoNothingUntilAFlagIsSet) {
  JobHarness h;
  h.Configure();
  for (int i = 0; i < 3; ++i) h.job->OnJobTimer();
  EXPECT_FALSE(h.job->Ended());
  EXPECT_EQ(h.link.runEndedCount(), 0);
  h.job->StopAnalysis();
  h.job->OnJobTimer();
  EXPECT_TRUE(h.job->Ended());
  EXPECT_EQ(h.link.runEndedCount(), 1);
}

TEST(JobLifecycleTest, EmptyRootDirectoryEndsTheJobWithoutReading) {
  JobHarness h;
  ProgressLogCapture log(h.dir.File("egg.log"));
  h.job->SetTempDirectory(h.temp, true);
  h.job->SetLocalEggFile(h.dir.File("missing.csv"));
  h.job->StartAnalysis(false, "Quake", "2011-05-03 00:00:00", "2011-05-03 23:59:59");
  EXPECT_EQ(h.link.messageTexts(),
            std::vector<std::string>{"You must specify a root directory for the output"});
  EXPECT_EQ(h.job->JobStage(), 0);
  h.job->StopAnalysis();  // the form's Stop on top must not end it twice
  h.TickUntilEnded();
  EXPECT_TRUE(h.job->Ended());
  EXPECT_EQ(h.link.runEndedCount(), 1);
  EXPECT_EQ(log.Contents(), std::string("\n") + kClosingLines);
}

TEST(JobLifecycleTest, AJobRefusedByTheFormEndsInItsDestructor) {
  JobHarness h;
  ProgressLogCapture log(h.dir.File("egg.log"));
  h.Configure();
  h.job->StopAnalysis();  // never started, never ticked
  h.job.reset();
  EXPECT_EQ(h.link.runEndedCount(), 1);
  EXPECT_EQ(Count(log.Contents(), kClosingLines), 1);
}

TEST(JobLifecycleTest, AJobDestroyedEarlyOnItsThreadStillReportsItsEndOnce) {
  JobHarness h;
  h.Configure();
  ASSERT_TRUE(h.job->StartThread());
  h.job.reset();
  EXPECT_EQ(h.link.runEndedCount(), 1);
}

TEST(JobLifecycleTest, TheJobsOwnThreadEndsARefusedRun) {
  JobHarness h;
  h.Configure();
  ASSERT_TRUE(h.job->StartThread());
  h.job->StartAnalysis(false, "../Quake", "2011-05-03 00:00:00", "2011-05-03 23:59:59");
  ASSERT_TRUE(h.link.WaitForRunEnded(10s));
  EXPECT_TRUE(h.job->Ended());
  h.job.reset();
  EXPECT_EQ(h.link.runEndedCount(), 1);
}

TEST(JobLifecycleTest, AnEndedJobTakesNoSecondRun) {
  JobHarness h;
  h.Configure();
  h.job->StopAnalysis();
  h.job->OnJobTimer();
  ASSERT_TRUE(h.job->Ended());
  h.job->StartAnalysis(false, "Quake", "2011-05-03 00:00:00", "2011-05-03 23:59:59");
  h.job->OnJobTimer();
  EXPECT_EQ(h.job->JobStage(), 0);
  EXPECT_TRUE(h.link.messages().empty());
  EXPECT_EQ(h.link.runEndedCount(), 1);
  EXPECT_FALSE(FileExists(h.root + "Quake"));
}

TEST(JobLifecycleTest, WithLogProgressOffNoLogIsWrittenAndTheRunIsTheSame) {
  JobHarness h;
  const std::string path = h.dir.File("egg.log");
  SetLogPath(path);
  SetLogProgress(false);
  ASSERT_TRUE(eggdata::WriteEggDataFile(
      h.dir.File("quake.csv"), DataRange("2011-05-03 10:00:00", "2011-05-03 10:30:00"), false));
  h.StartLocalRun("Quake", h.dir.File("quake.csv"), "2011-05-03 10:00:00", "2011-05-03 10:30:00");
  h.TickUntilEnded();
  SetLogPath("");
  EXPECT_TRUE(h.job->Ended());
  EXPECT_FALSE(FileExists(path));
  EXPECT_TRUE(h.link.messages().empty());
  EXPECT_TRUE(FileExists(h.OutputDirectory("Quake") + "Quake.inf"));
}

}  // namespace
}  // namespace corvane
