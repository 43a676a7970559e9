// A remote run whose temporary or save directory is full: a small tmpfs
// mounted by the test (as root; skipped otherwise). The run ends at once
// with the reason and the path, never retries, and leaves nothing behind.
#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "job_harness.h"

namespace corvane {
namespace {

using testing::Count;
using testing::ProgressLogCapture;
using testing::ReadFile;
using testing::RemoteHarness;

// A 64 KiB tmpfs on an existing directory for the object's life.
class SmallDisk {
 public:
  explicit SmallDisk(std::string directory) : directory_(std::move(directory)) {
    std::filesystem::create_directories(directory_);
    mounted_ =
        ::geteuid() == 0 && ::mount("tmpfs", directory_.c_str(), "tmpfs", 0, "size=64k") == 0;
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(directory_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }

 private:
  std::string directory_;
  bool mounted_ = false;
};

std::vector<std::string> FilesIn(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

constexpr const char* kDayStart = "2011-05-03 00:00:00";
constexpr const char* kDayStop = "2011-05-03 23:59:59";

TEST(RemoteDiskFullTest, AFullTemporaryDirectoryEndsTheRunAtOnceWithItsReason) {
  RemoteHarness h;
  SmallDisk disk(h.temp);
  if (!disk.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
  ProgressLogCapture log(h.dir.File("egg.log"));
  h.StartRemoteRun("Quake", kDayStart, kDayStop, false, true);
  h.TickToEnd();
  EXPECT_EQ(ReadFile(h.root + "summary.tst"), "Quake: Could not save the data for 2011-05-03 to " +
                                                  h.temp +
                                                  "data.txt.gz: No space left on device\n");
  EXPECT_EQ(h.link.messageTexts(), std::vector<std::string>{});
  EXPECT_EQ(Count(log.Contents(), "Internet error\nInternet error 128\n"), 1);
  EXPECT_EQ(Count(log.Contents(), "Initiating retry"), 0);
  EXPECT_EQ(h.DataRequests(), 1);
  EXPECT_EQ(h.TempLeftovers(), std::vector<std::string>{});
}

TEST(RemoteDiskFullTest, AFullSaveDirectoryEndsTheRunNamingTheFileAndKeepsNothingOfTheDay) {
  for (bool compressed : {true, false}) {
    SCOPED_TRACE(compressed ? "kept compressed" : "kept inflated");
    RemoteHarness h;
    const std::string save = h.dir.File("save/");
    SmallDisk disk(save);
    if (!disk.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
    ASSERT_TRUE(h.job->SetRemoteSaveDirectory(true, save, compressed));
    h.StartRemoteRun("Quake", kDayStart, kDayStop);
    h.TickToEnd();
    ASSERT_EQ(h.link.messageTexts().size(), 1u);
    const std::string message = h.link.messageTexts()[0];
    if (compressed) {
      const std::string begin = "Quake: Compressed data file not moved from " + h.temp +
                                "data_1.txt.gz to " + save + "Quake.gz (cannot write " + save +
                                "Quake.gz.";
      EXPECT_EQ(message.substr(0, begin.size()), begin);
      const std::string end = ": No space left on device)";
      ASSERT_GT(message.size(), end.size());
      EXPECT_EQ(message.substr(message.size() - end.size()), end);
    } else {
      EXPECT_EQ(message, "Quake: Data received for 2011-05-03 refused: Failed to write " + save +
                             "Quake.csv: No space left on device");
    }
    EXPECT_EQ(h.DataRequests(), 1);
    EXPECT_EQ(FilesIn(save), std::vector<std::string>{});
    EXPECT_EQ(h.TempLeftovers(), std::vector<std::string>{});
  }
}

}  // namespace
}  // namespace corvane
