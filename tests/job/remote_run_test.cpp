// Remote runs: day-by-day downloads from the stand-in data server over
// loopback, with their retries and failures, the status and progress they
// show and the network log. A Stop during a download: see RunStopTest.
#include <filesystem>
#include <map>
#include <thread>
#include <utility>

#include <gtest/gtest.h>

#include "job_harness.h"
#include "support/small_disk.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using testing::Count;
using testing::FileExists;
using testing::ProgressLogCapture;
using testing::ReadFile;
using testing::RemoteHarness;

constexpr const char* kStart = "2011-05-03 22:00:00";
constexpr const char* kStop = "2011-05-05 01:00:00";

eggdata::EggDataOptions ServerData(const char* start, const char* stop) {
  eggdata::EggDataOptions options = testing::DataRange(start, stop, RemoteHarness::kServerEggs);
  options.seed = RemoteHarness::kServerSeed;
  return options;
}

// The result files below a root by relative path, the root's own path in
// them (the script names its data file) read as "ROOT/".
std::map<std::string, std::string> Tree(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    std::string text = ReadFile(entry.path().string());
    for (size_t at = text.find(root); at != std::string::npos; at = text.find(root, at)) {
      text.replace(at, root.size(), "ROOT/");
    }
    files[std::filesystem::relative(entry.path(), root).string()] = text;
  }
  return files;
}

// Records, with every status text, how far the job says its input is.
class ProgressLink : public testing::RecordingLink {
 public:
  void PostStatus(const std::string& text) override {
    if (fraction) seen.emplace_back(text, fraction());
    RecordingLink::PostStatus(text);
  }
  std::function<double()> fraction;
  std::vector<std::pair<std::string, double>> seen;
};

// Each day is requested while the one before is parsed, from the kept
// download or as it is inflated; the results are those of one day after
// another. What each request asks for and how a day is kept: see the net
// tests.
TEST(RemoteRunTest, AThreeDayRunKeepsEachDayAndMatchesALocalRunOfTheSameDays) {
  // The same days written by the generator, read from local files.
  testing::JobHarness local;
  const auto files =
      eggdata::WriteEggDataDays(local.dir.File("days.csv"), ServerData(kStart, kStop), false);
  ASSERT_EQ(files.size(), 3u);
  local.RunLocal("Quake", files[0], kStart, kStop);
  EXPECT_EQ(local.link.messageTexts(), std::vector<std::string>{});
  const auto localTree = Tree(local.root);
  ASSERT_EQ(localTree.count("Quake/Quake.dat"), 1u);

  for (const bool keep : {true, false}) {
    SCOPED_TRACE(keep ? "kept compressed" : "inflated");
    ProgressLink link;
    RemoteHarness remote(&link);
    link.fraction = [&] { return remote.job->context().InputFraction(); };
    const std::string save = remote.dir.File("save/");
    std::filesystem::create_directories(save);
    ASSERT_TRUE(remote.job->SetRemoteSaveDirectory(keep, save, true));
    testing::WriteFile(remote.temp + "eggnet.log", "an earlier run\n");
    {
      ProgressLogCapture log(remote.dir.File("egg.log"));
      remote.StartRemoteRun("Quake", kStart, kStop);
      remote.TickToEnd();
      const std::string text = log.Contents();
      EXPECT_EQ(Count(text, "Internet thread created and ready\n"), 3);
      EXPECT_EQ(Count(text, "Append local file\n"), 2);
      EXPECT_EQ(Count(text, "Initiating retry"), 0);
    }
    EXPECT_EQ(remote.DataRequests(), 3);
    // The network log starts afresh with the run, and each day adds to it.
    const std::string eggnet = ReadFile(remote.temp + "eggnet.log");
    EXPECT_EQ(eggnet.rfind("\nSignaling EThreadReady\n", 0), 0u);
    EXPECT_EQ(Count(eggnet, "Enter httpGetFile\n"), 3);
    EXPECT_GT(remote.link.bytesReceived(), 0);
    EXPECT_EQ(remote.link.runEndedCount(), 1);
    EXPECT_EQ(remote.link.messageTexts(), std::vector<std::string>{});
    // The days were parsed as they came: the temporary directory holds
    // neither their text nor their downloads.
    EXPECT_EQ(remote.TempLeftovers(), std::vector<std::string>{});

    // "day i of 3" in order, each last shown with the input fraction of the
    // days before it; the fraction moves by a third a day.
    std::vector<std::pair<std::string, double>> days;
    std::vector<double> fractions;
    for (const auto& [text, fraction] : link.seen) {
      if (text.rfind("Getting data from internet: ", 0) == 0) {
        if (days.empty() || days.back().first != text) days.emplace_back(text, fraction);
        days.back().second = fraction;
      }
      if (fractions.empty() || fractions.back() != fraction) fractions.push_back(fraction);
    }
    EXPECT_EQ(days, (std::vector<std::pair<std::string, double>>{
                        {"Getting data from internet: day 1 of 3", 0.0},
                        {"Getting data from internet: day 2 of 3", 1.0 / 3},
                        {"Getting data from internet: day 3 of 3", 2.0 / 3}}));
    EXPECT_EQ(fractions, (std::vector<double>{0.0, 1.0 / 3, 2.0 / 3, 1.0}));

    // The days are kept when the run keeps them, and give the local results.
    for (const char* kept : {"Quake.gz", "Quake_2.gz", "Quake_3.gz"}) {
      EXPECT_EQ(FileExists(save + kept), keep) << kept;
    }
    EXPECT_TRUE(Tree(remote.root) == localTree);
  }
}

TEST(RemoteRunTest, APseudoEggRunFetchesTheWholeDayAndWithLoggingOffLeavesTheNetworkLog) {
  RemoteHarness h;
  testing::WriteFile(h.temp + "eggnet.log", "untouched");
  h.StartRemoteRun("MyPEDrun", "2011-05-03 10:00:00", "2011-05-03 12:00:00", true);
  h.TickToEnd();
  EXPECT_EQ(h.DataRequests(), 1);
  EXPECT_EQ(h.link.statuses().at(0), "Getting pseudo egg data from internet: day 1 of 1");
  EXPECT_TRUE(FileExists(h.Output("MyPEDrun", "MyPEDrun.dat")));
  EXPECT_EQ(ReadFile(h.temp + "eggnet.log"), "untouched");
}

// The second of two days fails: after ten tries (the first day took five),
// or at once when no retry mends it. The run names the day (and the data
// URL); the first day's file and the failed download go with the run. Which
// answers are not a day, and how they are named: see the net tests.
TEST(RemoteRunTest, ADayThatFailsEndsTheRunNamingItAndLeavesNothingBehind) {
  dataserver::FaultPlan tries{.statuses = {404, 407, 500, 403, 0}};
  tries.statuses.insert(tries.statuses.end(), 8, 503);
  const dataserver::FaultPlan page{.skipRequests = 1, .statuses = {}, .messagePageRequests = 1};
  const struct {
    const char* what;
    dataserver::FaultPlan plan;
    bool batch;
    const char* message;  // %s: the data URL
    int retries, requests;
  } cases[] = {
      {"ten failures", tries, false,
       "Aborted during internet read after max retries (Server error 503 for 2011-05-04 from %s)",
       10, 11},
      {"message page", page, true, "No data received for 2011-05-04", 0, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RemoteHarness h;
    h.UseTestClock();
    ProgressLogCapture log(h.dir.File("egg.log"));
    h.server->SetFaults(c.plan);
    h.StartRemoteRun("Quake", "2011-05-03 23:00:00", "2011-05-04 01:00:00", false, c.batch);
    h.TickToEnd();
    std::string expected = std::string("Quake: ") + c.message;
    if (const size_t at = expected.find("%s"); at != std::string::npos) {
      expected.replace(at, 2, h.server->DataUrl());
    }
    EXPECT_EQ(ReadFile(h.root + "summary.tst"), c.batch ? expected + "\n" : "");
    EXPECT_EQ(h.link.messageTexts(),
              c.batch ? std::vector<std::string>{} : std::vector<std::string>{expected});
    EXPECT_EQ(h.link.runEndedCount(), 1);
    const std::string text = log.Contents();
    EXPECT_EQ(Count(text, "Initiating retry"), c.retries);
    EXPECT_EQ(h.DataRequests(), c.requests);
    EXPECT_EQ(h.TempLeftovers(), std::vector<std::string>{});
    // The log gives the address of the failed day's last request.
    const std::string target = h.server->Requests().back().target;
    EXPECT_NE(text.find(target + "\n"), std::string::npos) << target << " not in\n" << text;
    if (c.retries == 0) continue;

    // Each failure in the log with its retry, the tenth ending the run before
    // anything is read; no request after it.
    EXPECT_EQ(Count(text, "Read local file"), 0);
    // Lines of the job's and the download's threads may interleave: counted
    // one by one.
    EXPECT_EQ(Count(text, "Server error 503\n"), 6);
    EXPECT_NE(text.find("Initiating retry number 10 after connection error\n"
                        "Aborted during internet read after max retries\n"),
              std::string::npos);
    h.clock += 100;
    h.job->OnJobTimer();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(h.DataRequests(), 11);
  }
}

// A remote run whose temporary or save directory is full: a small tmpfs
// mounted by the test (as root; skipped otherwise), in batch mode and not.
// The run ends at once with the reason and the path, never retries, and
// leaves nothing behind.
TEST(RemoteDiskFullTest, AFullTemporaryOrSaveDirectoryEndsTheRunAtOnceNamingTheFile) {
  const struct {
    bool temporaryFull, compressed;
    const char* begin;  // of the one failure; %t: the temporary directory, %s: the save one
  } cases[] = {
      {true, true, "Quake: Could not save the data for 2011-05-03 to %tdata.txt.gz: "},
      {false, true,
       "Quake: Compressed data file not moved from %tdata_1.txt.gz to %sQuake.gz (cannot write "
       "%sQuake.gz."},
      {false, false, "Quake: Data received for 2011-05-03 refused: Failed to write %sQuake.csv: "},
  };
  for (const auto& c : cases) {
    for (const bool batch : {true, false}) {
      SCOPED_TRACE(std::string(c.begin) + (batch ? " in batch mode" : ""));
      RemoteHarness h;
      testing::SmallDisk disk(64 << 10);
      if (!disk.ok()) GTEST_SKIP() << disk.reason();
      const std::string save = disk.path();
      if (c.temporaryFull) {
        h.temp = disk.path();
      } else {
        ASSERT_TRUE(h.job->SetRemoteSaveDirectory(true, save, c.compressed));
      }
      ProgressLogCapture log(h.dir.File("egg.log"));
      h.StartRemoteRun("Quake", "2011-05-03 00:00:00", "2011-05-03 23:59:59", false, batch);
      h.TickToEnd();
      // The one failure: the summary line of a batch run, else the message.
      EXPECT_EQ(std::filesystem::exists(h.root + "summary.tst"), batch);
      EXPECT_EQ(h.link.messageTexts().size(), batch ? 0u : 1u);
      std::string reported = batch ? ReadFile(h.root + "summary.tst") : "";
      for (const std::string& text : h.link.messageTexts()) reported += text + "\n";
      std::string begin = c.begin;
      for (size_t at; (at = begin.find('%')) != std::string::npos;)
        begin.replace(at, 2, begin[at + 1] == 't' ? h.temp : save);
      const std::string end = c.temporaryFull || !c.compressed ? "No space left on device\n"
                                                               : ": No space left on device)\n";
      EXPECT_EQ(reported.rfind(begin, 0), 0u) << reported;
      ASSERT_GT(reported.size(), end.size());
      EXPECT_EQ(reported.substr(reported.size() - end.size()), end);
      EXPECT_EQ(Count(reported, "\n"), 1);
      EXPECT_EQ(Count(log.Contents(), "Initiating retry"), 0);
      EXPECT_EQ(h.DataRequests(), 1);
      EXPECT_TRUE(c.temporaryFull || std::filesystem::is_empty(save));
      EXPECT_EQ(h.TempLeftovers(), std::vector<std::string>{});
    }
  }
}

}  // namespace
}  // namespace corvane
