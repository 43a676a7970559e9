// Requests that a run refuses before it reads or writes anything.
#include <filesystem>

#include <gtest/gtest.h>

#include "input/egg_file_reader.h"
#include "job_harness.h"

namespace corvane {
namespace {

using testing::FileExists;
using testing::JobHarness;
using testing::ReadFile;

bool DirectoryIsEmpty(const std::string& path) {
  return std::filesystem::is_empty(std::filesystem::path(path));
}

TEST(RunChecksTest, BadDataNamesAreRefusedBeforeAnythingIsWritten) {
  for (const char* bad : {"../escape", "a/b", "say\"hi", "tab\there", ".."}) {
    JobHarness h;
    h.Configure();
    h.job->SetLocalEggFile(h.dir.File("quake.csv"));
    h.job->StartAnalysis(false, bad, "2011-05-03 00:00:00", "2011-05-03 23:59:59");
    ASSERT_EQ(h.link.messageTexts().size(), 1u) << bad;
    EXPECT_NE(h.link.messageTexts()[0].find("The data name"), std::string::npos) << bad;
    h.TickUntilEnded();
    EXPECT_TRUE(h.job->Ended());
    EXPECT_EQ(h.link.runEndedCount(), 1);
    EXPECT_TRUE(DirectoryIsEmpty(h.root)) << bad;
    EXPECT_FALSE(FileExists(h.dir.File("escape")));
  }
}

TEST(RunChecksTest, SmoothingSettingsThatWouldReadOutOfBoundsAreRefused) {
  struct Case {
    int mode, window;
    double coefficient;
  };
  for (const Case c :
       {Case{1, -5, 0.001}, Case{2, 1, 0.001}, Case{0, 900, 1.5}, Case{7, 900, 0.1}}) {
    JobHarness h;
    h.Configure();
    h.job->SetLocalEggFile(h.dir.File("quake.csv"));
    h.job->SetSmoothing(c.mode, c.window, c.coefficient);
    h.job->StartAnalysis(false, "Quake", "2011-05-03 00:00:00", "2011-05-03 23:59:59");
    ASSERT_EQ(h.link.messageTexts().size(), 1u) << c.mode << " " << c.window;
    EXPECT_EQ(h.link.messageTexts()[0].rfind("Quake: ", 0), 0u);
    h.TickUntilEnded();
    EXPECT_EQ(h.link.runEndedCount(), 1);
    EXPECT_TRUE(DirectoryIsEmpty(h.root));
  }
}

TEST(RunChecksTest, ResolutionsOutsideTheReadersRangeAreRefusedBeforeReading) {
  for (int resolution : {0, -3, kMaxResolution + 1}) {
    JobHarness h;
    h.Configure();
    h.job->SetLocalEggFile(h.dir.File("quake.csv"));
    h.job->SetResolution(resolution);
    h.job->StartAnalysis(false, "Quake", "2011-05-03 00:00:00", "2011-05-03 23:59:59");
    ASSERT_EQ(h.link.messageTexts().size(), 1u) << resolution;
    EXPECT_EQ(h.link.messageTexts()[0], "Quake: Resolution " + std::to_string(resolution) +
                                            " is outside the allowed range 1 to " +
                                            std::to_string(kMaxResolution));
    h.TickUntilEnded();
    EXPECT_EQ(h.link.runEndedCount(), 1);
    EXPECT_TRUE(DirectoryIsEmpty(h.root));
  }
}

TEST(RunChecksTest, DftSizesAndIntervalsAreRefusedOnlyWhenAskedFor) {
  struct Case {
    bool dft;
    int size;
    bool compare;
    int start1, start2, duration;
    const char* refusal;  // nullptr: the run goes ahead
  };
  const Case cases[] = {
      {true, 1, false, 0, 0, 0, "Quake: The DFT size must be at least 2"},
      {false, 1, false, 0, 0, 0, nullptr},
      {false, 0, true, 0, 3600, 1, "Quake: The interval duration must be at least 2 seconds"},
      {false, 0, true, -60, 3600, 60, "Quake: The interval starts must not be negative"},
      {false, 0, false, -60, 3600, 1, nullptr},
  };
  for (const Case& c : cases) {
    JobHarness h;
    h.Configure();
    h.job->SetLocalEggFile(h.dir.File("missing.csv"));
    h.job->SetDft(c.dft, c.size);
    h.job->SetCompareIntervals(c.compare);
    h.job->SetIntervals(c.start1, c.start2, c.duration);
    h.job->StartAnalysis(false, "Quake", "2011-05-03 00:00:00", "2011-05-03 23:59:59");
    h.TickUntilEnded();
    EXPECT_EQ(h.link.runEndedCount(), 1);
    const std::vector<std::string> messages = h.link.messageTexts();
    if (c.refusal != nullptr) {
      EXPECT_EQ(messages, std::vector<std::string>{c.refusal});
    } else {
      // Refused for its missing input file instead, not for these settings.
      ASSERT_FALSE(messages.empty());
      EXPECT_EQ(messages[0].find("DFT"), std::string::npos);
      EXPECT_EQ(messages[0].find("interval"), std::string::npos);
    }
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
            "Quake: Resolution 0 is outside the allowed range 1 to " +
                std::to_string(kMaxResolution) + "\n");
  EXPECT_EQ(h.link.runEndedCount(), 1);
}

}  // namespace
}  // namespace corvane
