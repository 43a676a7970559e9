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

TEST(RemoteDiskFullTest, AFullTemporaryOrSaveDirectoryEndsTheRunAtOnceNamingTheFile) {
  enum Full { kTemporary, kSavedCompressed, kSavedInflated };
  for (const Full full : {kTemporary, kSavedCompressed, kSavedInflated}) {
    for (const bool batch : {true, false}) {
      SCOPED_TRACE(std::to_string(full) + (batch ? " in batch mode" : ""));
      RemoteHarness h;
      testing::SmallDisk disk(64 << 10);
      if (!disk.ok()) GTEST_SKIP() << disk.reason();
      const std::string save = disk.path();
      if (full == kTemporary) {
        h.temp = disk.path();
      } else {
        ASSERT_TRUE(h.job->SetRemoteSaveDirectory(true, save, full == kSavedCompressed));
      }
      ProgressLogCapture log(h.dir.File("egg.log"));
      h.StartRemoteRun("Quake", "2011-05-03 00:00:00", "2011-05-03 23:59:59", false, batch);
      h.TickToEnd();
      // The one failure: the summary line of a batch run, else the message.
      EXPECT_EQ(std::filesystem::exists(h.root + "summary.tst"), batch);
      EXPECT_EQ(h.link.messageTexts().size(), batch ? 0u : 1u);
      std::string reported = batch ? ReadFile(h.root + "summary.tst") : "";
      for (const std::string& text : h.link.messageTexts()) reported += text + "\n";
      if (full == kTemporary) {
        EXPECT_EQ(reported, "Quake: Could not save the data for 2011-05-03 to " + h.temp +
                                "data.txt.gz: No space left on device\n");
        EXPECT_EQ(Count(log.Contents(), "Internet error\nInternet error 128\n"), 1);
      } else if (full == kSavedCompressed) {
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
      EXPECT_EQ(Count(log.Contents(), "Initiating retry"), 0);
      EXPECT_EQ(h.DataRequests(), 1);
      EXPECT_TRUE(full == kTemporary || std::filesystem::is_empty(save));
      EXPECT_EQ(h.TempLeftovers(), std::vector<std::string>{});
    }
  }
}

}  // namespace
}  // namespace corvane
