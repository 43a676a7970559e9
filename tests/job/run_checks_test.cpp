// Requests that a run refuses before it reads or writes anything.
#include "job/run_checks.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "job_harness.h"

namespace corvane {
namespace {

using testing::FileExists;
using testing::JobHarness;
using testing::ReadFile;

bool DirectoryIsEmpty(const std::string& path) {
  return std::filesystem::is_empty(std::filesystem::path(path));
}

TEST(RunChecksTest, DataNamesMustBeOnePlainPathComponent) {
  for (const char* good : {"EggOutput", "Quake 2011-05-03", "RunPED1", "a.b", "x_y-z"}) {
    EXPECT_FALSE(DataNameProblem(good).has_value()) << good;
  }
  for (const char* bad : {"", ".", "..", "a/b", "a\\b", "../up", "x..y", "say\"hi", "it's",
                          "tab\there", "line\nfeed", "del\x7f"}) {
    EXPECT_TRUE(DataNameProblem(bad).has_value()) << bad;
  }
}

TEST(RunChecksTest, ABadDataNameIsRefusedBeforeAnythingIsWritten) {
  JobHarness h;
  h.Configure();
  h.job->SetLocalEggFile(h.dir.File("quake.csv"));
  h.job->StartAnalysis(false, "../escape", "2011-05-03 00:00:00", "2011-05-03 23:59:59");
  ASSERT_EQ(h.link.messageTexts().size(), 1u);
  EXPECT_EQ(h.link.messageTexts()[0],
            "../escape: The data name must not contain a path separator, \"..\", a quote or a "
            "control character");
  h.TickUntilEnded();
  EXPECT_TRUE(h.job->Ended());
  EXPECT_EQ(h.link.runEndedCount(), 1);
  EXPECT_TRUE(DirectoryIsEmpty(h.root));
  EXPECT_FALSE(FileExists(h.dir.File("escape")));
}

TEST(RunChecksTest, ResolutionsOutsideOneToADayAreRefused) {
  for (int resolution : {0, -3, kMaxResolution + 1}) {
    JobHarness h;
    h.Configure();
    h.job->SetLocalEggFile(h.dir.File("quake.csv"));
    h.job->SetResolution(resolution);
    h.job->StartAnalysis(false, "Quake", "2011-05-03 00:00:00", "2011-05-03 23:59:59");
    ASSERT_EQ(h.link.messageTexts().size(), 1u) << resolution;
    EXPECT_EQ(h.link.messageTexts()[0],
              "Quake: The resolution must be between 1 and 86400 records per sample (it is " +
                  std::to_string(resolution) + ")");
    h.TickUntilEnded();
    EXPECT_EQ(h.link.runEndedCount(), 1);
    EXPECT_TRUE(DirectoryIsEmpty(h.root));
  }
}

TEST(RunChecksTest, TimeTextsThatNameNoInstantAreRefused) {
  JobHarness h;
  h.Configure();
  h.job->StartAnalysis(false, "Quake", "2011-02-30 00:00:00", "2011-03-01 23:59:59");
  EXPECT_EQ(h.link.messageTexts(), std::vector<std::string>{"Quake: Invalid date format"});
  h.TickUntilEnded();
  EXPECT_EQ(h.link.runEndedCount(), 1);
}

TEST(RunChecksTest, AnOverlongRangeIsRefusedInsteadOfSteppingForever) {
  JobHarness h;
  h.Configure();
  h.job->StartAnalysis(false, "Quake", "1970-01-01 00:00:00", "9999-12-31 23:59:59");
  EXPECT_EQ(h.link.messageTexts(),
            std::vector<std::string>{"Quake: The time range covers more than 36600 calendar days"});
  h.TickUntilEnded();
  EXPECT_EQ(h.link.runEndedCount(), 1);
}

TEST(RunChecksTest, BatchRefusalsGoToTheSummaryTableWithoutABox) {
  JobHarness h;
  h.Configure();
  h.job->SetResolution(0);
  h.job->StartAnalysis(true, "Quake", "2011-05-03 00:00:00", "2011-05-03 23:59:59");
  h.TickUntilEnded();
  EXPECT_TRUE(h.link.messages().empty());
  EXPECT_EQ(ReadFile(h.root + "summary.tst"),
            "Quake: The resolution must be between 1 and 86400 records per sample (it is 0)\n");
  EXPECT_EQ(h.link.runEndedCount(), 1);
}

}  // namespace
}  // namespace corvane
