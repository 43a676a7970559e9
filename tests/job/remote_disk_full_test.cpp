// A remote run whose temporary or save directory is full: a small tmpfs
// mounted by the test (as root; skipped otherwise), in batch mode and not.
// The run ends at once with the reason and the path, never retries, and
// leaves nothing behind.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "job_harness.h"
#include "support/small_disk.h"

namespace corvane {
namespace {

using testing::Count;
using testing::ProgressLogCapture;
using testing::ReadFile;
using testing::RemoteHarness;

constexpr std::int64_t kDiskBytes = 64 << 10;

std::vector<std::string> FilesIn(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

// The one failure the run reported: the summary line of a batch run, the
// message of an interactive one. The summary table stays absent otherwise.
std::string ReportedFailure(const RemoteHarness& h, bool batch) {
  const std::string summary = h.root + "summary.tst";
  if (!batch) {
    EXPECT_FALSE(std::filesystem::exists(summary));
    EXPECT_EQ(h.link.messageTexts().size(), 1u);
    return h.link.messageTexts().empty() ? "" : h.link.messageTexts()[0] + "\n";
  }
  EXPECT_EQ(h.link.messageTexts(), std::vector<std::string>{});
  return ReadFile(summary);
}

constexpr const char* kDayStart = "2011-05-03 00:00:00";
constexpr const char* kDayStop = "2011-05-03 23:59:59";

TEST(RemoteDiskFullTest, AFullTemporaryDirectoryEndsTheRunAtOnceWithItsReason) {
  for (bool batch : {true, false}) {
    SCOPED_TRACE(batch ? "batch" : "interactive");
    RemoteHarness h;
    testing::SmallDisk disk(kDiskBytes);
    if (!disk.ok()) GTEST_SKIP() << disk.reason();
    h.temp = disk.path();
    ProgressLogCapture log(h.dir.File("egg.log"));
    h.StartRemoteRun("Quake", kDayStart, kDayStop, false, batch);
    h.TickToEnd();
    EXPECT_EQ(ReportedFailure(h, batch), "Quake: Could not save the data for 2011-05-03 to " +
                                             h.temp + "data.txt.gz: No space left on device\n");
    EXPECT_EQ(Count(log.Contents(), "Internet error\nInternet error 128\n"), 1);
    EXPECT_EQ(Count(log.Contents(), "Initiating retry"), 0);
    EXPECT_EQ(h.DataRequests(), 1);
    EXPECT_EQ(h.TempLeftovers(), std::vector<std::string>{});
  }
}

TEST(RemoteDiskFullTest, AFullSaveDirectoryEndsTheRunNamingTheFileAndKeepsNothingOfTheDay) {
  for (bool batch : {true, false}) {
    for (bool compressed : {true, false}) {
      SCOPED_TRACE(std::string(batch ? "batch, " : "interactive, ") +
                   (compressed ? "kept compressed" : "kept inflated"));
      RemoteHarness h;
      testing::SmallDisk disk(kDiskBytes);
      if (!disk.ok()) GTEST_SKIP() << disk.reason();
      const std::string save = disk.path();
      ASSERT_TRUE(h.job->SetRemoteSaveDirectory(true, save, compressed));
      h.StartRemoteRun("Quake", kDayStart, kDayStop, false, batch);
      h.TickToEnd();
      const std::string reported = ReportedFailure(h, batch);
      if (compressed) {
        const std::string begin = "Quake: Compressed data file not moved from " + h.temp +
                                  "data_1.txt.gz to " + save + "Quake.gz (cannot write " + save +
                                  "Quake.gz.";
        EXPECT_EQ(reported.substr(0, begin.size()), begin);
        const std::string end = ": No space left on device)\n";
        ASSERT_GT(reported.size(), end.size());
        EXPECT_EQ(reported.substr(reported.size() - end.size()), end);
        EXPECT_EQ(Count(reported, "\n"), 1);
      } else {
        EXPECT_EQ(reported, "Quake: Data received for 2011-05-03 refused: Failed to write " + save +
                                "Quake.csv: No space left on device\n");
      }
      EXPECT_EQ(h.DataRequests(), 1);
      EXPECT_EQ(FilesIn(save), std::vector<std::string>{});
      EXPECT_EQ(h.TempLeftovers(), std::vector<std::string>{});
    }
  }
}

}  // namespace
}  // namespace corvane
