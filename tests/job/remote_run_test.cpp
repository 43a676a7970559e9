// Remote runs: day-by-day downloads from the stand-in data server over
// loopback, their post-processing, retries, stalls, Stop and the network log.
#include <filesystem>
#include <map>
#include <thread>

#include <gtest/gtest.h>

#include "core/date_time.h"
#include "core/progress_log.h"
#include "eggdata/egg_data_generator.h"
#include "remote_harness.h"
#include "support/gunzip_bytes.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using testing::FileExists;
using testing::GunzipBytes;
using testing::ProgressLogCapture;
using testing::ReadFile;
using testing::RemoteHarness;
using testing::WriteFile;

constexpr const char* kStart = "2011-05-03 22:00:00";
constexpr const char* kStop = "2011-05-05 01:00:00";

// The options of the server's synthetic data of a span.
eggdata::EggDataOptions ServerData(const char* start, const char* stop) {
  eggdata::EggDataOptions options;
  options.start = SecondsFromText(start);
  options.stop = SecondsFromText(stop);
  options.eggCount = RemoteHarness::SmallServer().eggCount;
  options.seed = RemoteHarness::SmallServer().seed;
  return options;
}

std::string Expected(const char* start, const char* stop) {
  return eggdata::GenerateEggData(ServerData(start, stop));
}

std::vector<std::string> Targets(const dataserver::DataServer& server) {
  std::vector<std::string> targets;
  for (const dataserver::ReceivedRequest& request : server.Requests()) {
    targets.push_back(request.target);
  }
  return targets;
}

int Count(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

bool Contains(const std::vector<std::string>& texts, const std::string& part) {
  for (const std::string& text : texts) {
    if (text.find(part) != std::string::npos) return true;
  }
  return false;
}

const std::string kQuery = "/cgi-bin/eggdatareq.pl?z=1";

TEST(RemoteRunTest, AThreeDayRunRequestsEachDayOnceAndInflatesIt) {
  RemoteHarness h;
  ProgressLogCapture log(h.dir.File("egg.log"));
  h.StartRemoteRun("Quake", kStart, kStop);
  h.TickToEnd();
  ASSERT_TRUE(h.job->Ended());

  const std::vector<std::string> expected = {
      kQuery + "&year=2011&month=5&day=3&stime=22%3A00%3A00&etime=23%3A59%3A59&gzip=Yes&idate=Yes",
      kQuery + "&year=2011&month=5&day=4&stime=00%3A00%3A00&etime=23%3A59%3A59&gzip=Yes&idate=Yes",
      kQuery + "&year=2011&month=5&day=5&stime=00%3A00%3A00&etime=01%3A00%3A00&gzip=Yes&idate=Yes"};
  EXPECT_EQ(Targets(*h.server), expected);
  for (const dataserver::ReceivedRequest& request : h.server->Requests()) {
    EXPECT_EQ(request.accept, "*/*");
  }
  EXPECT_EQ(ReadFile(h.temp + "data.csv"), Expected(kStart, "2011-05-03 23:59:59"));
  EXPECT_EQ(ReadFile(h.temp + "data_2.csv"),
            Expected("2011-05-04 00:00:00", "2011-05-04 23:59:59"));
  EXPECT_EQ(ReadFile(h.temp + "data_3.csv"), Expected("2011-05-05 00:00:00", kStop));
  EXPECT_FALSE(FileExists(h.temp + "data.txt.gz"));

  const std::string text = log.Contents();
  EXPECT_NE(text.find("Get internet data using\n" + h.server->DataUrl() +
                      "&year=2011&month=5&day=4&stime=00%3A00%3A00"),
            std::string::npos);
  EXPECT_EQ(Count(text, "Internet thread created and ready\n"), 3);
  EXPECT_EQ(Count(text, "ExitInternetThread\n"), 3);
  EXPECT_EQ(Count(text, "Read local file\n"), 1);
  EXPECT_EQ(Count(text, "Initiating retry"), 0);
  ASSERT_FALSE(h.link.statuses().empty());
  EXPECT_EQ(h.link.statuses()[0], "Getting data from internet");
  EXPECT_GT(h.link.bytesReceived(), 0);
  EXPECT_FALSE(Contains(h.link.messageTexts(), "data received"));
  EXPECT_EQ(h.link.runEndedCount(), 1);
}

// Every file below a directory, by its relative path, with its bytes. The
// directory's own path inside a file (the plot script names its data file by
// it) reads as "ROOT/", so that trees below different roots compare.
std::map<std::string, std::string> Tree(const std::string& directory) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(directory)) {
    if (!entry.is_regular_file()) continue;
    std::string text = ReadFile(entry.path().string());
    for (size_t at = text.find(directory); at != std::string::npos; at = text.find(directory, at)) {
      text.replace(at, directory.size(), "ROOT/");
    }
    files[std::filesystem::relative(entry.path(), directory).string()] = text;
  }
  return files;
}

std::vector<std::string> Names(const std::map<std::string, std::string>& tree) {
  std::vector<std::string> names;
  for (const auto& [name, text] : tree) names.push_back(name);
  return names;
}

TEST(RemoteRunTest, ARemoteRunEndsLikeALocalRunOfTheSameData) {
  RemoteHarness remote;
  ProgressLogCapture remote_log(remote.dir.File("egg.log"));
  remote.StartRemoteRun("Quake", kStart, kStop);
  remote.TickToEnd();
  ASSERT_TRUE(remote.job->Ended());
  const std::string remote_text = remote_log.Contents();

  testing::JobHarness local;
  ProgressLogCapture local_log(local.dir.File("egg.log"));
  ASSERT_EQ(
      eggdata::WriteEggDataDays(local.dir.File("quake.gz"), ServerData(kStart, kStop), true).size(),
      3u);
  local.StartLocalRun("Quake", local.dir.File("quake.gz"), kStart, kStop);
  local.TickUntilEnded(3);
  ASSERT_TRUE(local.job->Ended());

  // Both runs went through the analysis, to the same end, with the same
  // result files.
  EXPECT_EQ(Count(remote_text, "Compute statistics\n"), 1);
  EXPECT_EQ(Count(local_log.Contents(), "Compute statistics\n"), 1);
  EXPECT_EQ(remote.link.messageTexts(), local.link.messageTexts());
  const auto remote_tree = Tree(remote.root);
  const auto local_tree = Tree(local.root);
  EXPECT_EQ(Names(remote_tree), Names(local_tree));
  EXPECT_NE(remote_tree.count("Quake/Quake.dat"), 0u);
  for (const auto& [name, text] : remote_tree) {
    // Whole result files: compared as a whole, without a character diff.
    EXPECT_TRUE(local_tree.count(name) != 0 && local_tree.at(name) == text) << name;
  }
  for (const char* name : {"data.csv", "data_2.csv", "data_3.csv"}) {
    EXPECT_EQ(ReadFile(remote.temp + name), ReadFile(local.temp + name)) << name;
  }
}

TEST(RemoteRunTest, APseudoEggRunFetchesWholeDayFiles) {
  RemoteHarness h;
  h.StartRemoteRun("MyPEDrun", "2011-05-03 10:00:00", "2011-05-03 12:00:00", true);
  h.TickToEnd();
  EXPECT_EQ(
      Targets(*h.server),
      std::vector<std::string>{"/pseudoeggs.dir/pseudoeggs/2011/basketdata-2011-05-03.csv.gz"});
  EXPECT_EQ(h.link.statuses()[0], "Getting pseudo egg data from internet");
  const std::string day = ReadFile(h.temp + "data.csv");
  EXPECT_NE(day.find("\n11,4,86400\n"), std::string::npos);
}

TEST(RemoteRunTest, SavedRemoteInputIsKeptUnderTheRunsNameAndReadsAgainAsLocalInput) {
  for (const bool compressed : {true, false}) {
    RemoteHarness h;
    const std::string save = h.dir.File("save/");
    std::filesystem::create_directories(save);
    ASSERT_TRUE(h.job->SetRemoteSaveDirectory(true, save, compressed));
    h.StartRemoteRun("Quake", kStart, kStop);
    h.TickToEnd();
    ASSERT_TRUE(h.job->Ended());
    const char* ext = compressed ? ".gz" : ".csv";
    const std::string names[] = {save + "Quake" + ext, save + "Quake_2" + ext,
                                 save + "Quake_3" + ext};
    const std::string spans[] = {Expected(kStart, "2011-05-03 23:59:59"),
                                 Expected("2011-05-04 00:00:00", "2011-05-04 23:59:59"),
                                 Expected("2011-05-05 00:00:00", kStop)};
    for (int i = 0; i < 3; ++i) {
      const std::string kept = ReadFile(names[i]);
      EXPECT_EQ(compressed ? GunzipBytes(kept).value_or("") : kept, spans[i]) << names[i];
    }
    // Inflated and kept, the last download stays where it was.
    EXPECT_EQ(FileExists(h.temp + "data.txt.gz"), !compressed);
    const std::vector<std::string> remote_messages = h.link.messageTexts();

    // The kept files are a local run's input of the same range.
    testing::JobHarness local;
    local.StartLocalRun("Quake", names[0], kStart, kStop);
    local.TickUntilEnded(3);
    ASSERT_TRUE(local.job->Ended());
    EXPECT_EQ(local.link.messageTexts(), remote_messages);
    EXPECT_FALSE(Contains(local.link.messageTexts(), "Unable to open"));
  }
}

TEST(RemoteRunTest, FailedDownloadsAreRetriedWithTheirCodesAndTexts) {
  RemoteHarness h;
  ProgressLogCapture log(h.dir.File("egg.log"));
  dataserver::FaultPlan plan;
  plan.statuses = {404, 407, 500, 403};
  h.server->SetFaults(plan);
  h.StartRemoteRun("Quake", "2011-05-03 00:00:00", "2011-05-03 00:59:59");
  h.TickToEnd();
  EXPECT_EQ(h.DataRequests(), 5);
  const std::string text = log.Contents();
  const char* expected[] = {"Internet error\nNot found\n",
                            "Initiating retry number 1 after connection error\n",
                            "Internet error\nNot authorized\n",
                            "Initiating retry number 2 after connection error\n",
                            "Internet error\nConnection failed\n",
                            "Initiating retry number 3 after connection error\n",
                            "Internet error\nNot authorized\n",
                            "Initiating retry number 4 after connection error\n",
                            "Read local file\n"};
  size_t at = 0;
  for (const char* line : expected) {
    at = text.find(line, at);
    ASSERT_NE(at, std::string::npos) << line;
  }
  EXPECT_EQ(ReadFile(h.temp + "data.csv"), Expected("2011-05-03 00:00:00", "2011-05-03 00:59:59"));
  EXPECT_FALSE(Contains(h.link.messageTexts(), "Aborted"));
}

TEST(RemoteRunTest, TheTenthFailureOfARunEndsItWithoutAFurtherRequest) {
  RemoteHarness h;
  ProgressLogCapture log(h.dir.File("egg.log"));
  // The first day after two failures, the second never: ten in all.
  dataserver::FaultPlan plan;
  plan.statuses = {500, 500, 0};
  plan.statuses.insert(plan.statuses.end(), 12, 500);
  h.server->SetFaults(plan);
  h.StartRemoteRun("Quake", "2011-05-03 23:00:00", "2011-05-04 01:00:00");
  h.TickToEnd();
  ASSERT_TRUE(h.job->Ended());
  EXPECT_EQ(h.DataRequests(), 11);
  const std::string text = log.Contents();
  EXPECT_NE(text.find("Initiating retry number 10 after connection error\n"
                      "Aborted during internet read after max retries\n"),
            std::string::npos);
  EXPECT_EQ(Count(text, "Initiating retry number"), 10);
  EXPECT_EQ(Count(text, "Read local file"), 0);
  EXPECT_EQ(h.link.messageTexts(),
            std::vector<std::string>{
                "Quake: Aborted during internet read after max retries (Connection failed)"});
  EXPECT_EQ(h.link.runEndedCount(), 1);
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(h.DataRequests(), 11);
}

TEST(RemoteRunTest, AMessagePageEndsTheRunNamingTheDayInBothModes) {
  for (const bool batch : {false, true}) {
    RemoteHarness h;
    dataserver::FaultPlan plan;
    plan.statuses = {0};
    plan.messagePageRequests = 2;
    h.server->SetFaults(plan);
    h.StartRemoteRun("Quake", "2011-05-03 23:00:00", "2011-05-04 01:00:00", false, batch);
    h.TickToEnd();
    ASSERT_TRUE(h.job->Ended());
    EXPECT_EQ(h.DataRequests(), 2);  // not retried
    const std::string message = "Quake: No data received for 2011-05-04";
    if (batch) {
      EXPECT_TRUE(h.link.messages().empty());
      EXPECT_EQ(ReadFile(h.root + "summary.tst"), message + "\n");
    } else {
      EXPECT_EQ(h.link.messageTexts(), std::vector<std::string>{message});
    }
  }
}

// Starts a one-hour run whose first download stalls after `bytes` bytes,
// and ticks until those have arrived.
void StartStalledRun(RemoteHarness& h, std::size_t bytes) {
  dataserver::FaultPlan plan;
  plan.stallRequests = 1;
  plan.stallAfterBytes = bytes;
  h.server->SetFaults(plan);
  h.StartRemoteRun("Quake", "2011-05-03 00:00:00", "2011-05-03 00:59:59");
  ASSERT_TRUE(
      h.TickUntil([&] { return h.link.bytesReceived() == static_cast<std::int64_t>(bytes); }));
}

TEST(RemoteRunTest, AStallIsRetriedAndTheStalledWorkerNeverCountsForItsSuccessor) {
  RemoteHarness h;
  ProgressLogCapture log(h.dir.File("egg.log"));
  StartStalledRun(h, 200);

  // Thirty seconds without data are not yet a stall; more are.
  *h.clock += 30;
  for (int i = 0; i < 3; ++i) h.job->OnJobTimer();
  EXPECT_EQ(Count(log.Contents(), "Initiating retry"), 0);
  *h.clock += 1;
  h.job->OnJobTimer();
  EXPECT_NE(log.Contents().find("Initiating retry number 1\n"), std::string::npos);

  h.TickToEnd();
  EXPECT_EQ(h.DataRequests(), 2);
  const std::vector<std::string> targets = Targets(*h.server);
  ASSERT_EQ(targets.size(), 2u);
  EXPECT_EQ(targets[0], targets[1]);
  const std::string text = log.Contents();
  EXPECT_EQ(Count(text, "Initiating retry"), 1);
  EXPECT_NE(text.find("Report of a stopped internet thread ignored\n"), std::string::npos);
  EXPECT_EQ(ReadFile(h.temp + "data.csv"), Expected("2011-05-03 00:00:00", "2011-05-03 00:59:59"));
}

TEST(RemoteRunTest, StopDuringADownloadEndsTheRunAtTheNextTickWithoutARetry) {
  RemoteHarness h;
  ProgressLogCapture log(h.dir.File("egg.log"));
  StartStalledRun(h, 100);
  h.job->StopAnalysis();
  h.job->OnJobTimer();
  EXPECT_TRUE(h.job->Ended());
  EXPECT_EQ(h.link.runEndedCount(), 1);
  EXPECT_EQ(h.link.statuses().back(), "");
  EXPECT_TRUE(h.link.messages().empty());
  for (int i = 0; i < 3; ++i) h.job->OnJobTimer();
  h.job.reset();
  EXPECT_EQ(h.link.runEndedCount(), 1);
  EXPECT_EQ(h.DataRequests(), 1);
  EXPECT_EQ(Count(log.Contents(), "Initiating retry"), 0);
}

TEST(RemoteRunTest, TheNetworkLogStartsFreshOncePerRunAndIsLeftAloneWithLoggingOff) {
  RemoteHarness first;
  const std::string eggnet = first.temp + "eggnet.log";
  WriteFile(eggnet, "an earlier program start\n");
  {
    ProgressLogCapture log(first.dir.File("egg.log"));
    first.StartRemoteRun("Quake", "2011-05-03 23:00:00", "2011-05-04 01:00:00");
    first.TickToEnd();
  }
  std::string text = ReadFile(eggnet);
  EXPECT_EQ(text.rfind("\nSignaling EThreadReady\n", 0), 0u);
  EXPECT_EQ(Count(text, "Enter httpGetFile\n"), 2);

  // A later run of the same program start appends.
  // A run of another job in the same temporary directory.
  auto run_again = [&](bool freshLog) {
    RemoteHarness again;
    again.Configure();
    again.job->SetTempDirectory(first.temp, freshLog);
    again.job->SetDataUrls(first.server->DataUrl(), first.server->PseudoDataUrl());
    again.job->SetRemoteAccess(true, false);
    again.job->StartAnalysis(false, "Quake", "2011-05-03 01:00:00", "2011-05-03 02:00:00");
    again.TickToEnd();
  };
  {
    ProgressLogCapture log(first.dir.File("egg2.log"));
    run_again(false);
  }
  EXPECT_EQ(ReadFile(eggnet).rfind(text, 0), 0u);
  EXPECT_EQ(Count(ReadFile(eggnet), "Enter httpGetFile\n"), 3);

  // Logging off: not touched at all.
  SetLogProgress(false);
  WriteFile(eggnet, "untouched");
  run_again(true);
  EXPECT_EQ(ReadFile(eggnet), "untouched");
  EXPECT_EQ(first.DataRequests(), 4);
}

}  // namespace
}  // namespace corvane
