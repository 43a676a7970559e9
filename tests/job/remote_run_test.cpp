// Remote runs: day-by-day downloads from the stand-in data server over
// loopback, kept or inflated, with their retries, stalls and Stop, and the
// network log.
#include <filesystem>
#include <map>
#include <thread>

#include <gtest/gtest.h>

#include "job/job_state.h"
#include "job/remote_download.h"
#include "job_harness.h"
#include "support/gunzip_bytes.h"

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

// The days of kStart to kStop as the server sends them.
const std::vector<std::string> kDays = {
    eggdata::GenerateEggData(ServerData(kStart, "2011-05-03 23:59:59")),
    eggdata::GenerateEggData(ServerData("2011-05-04 00:00:00", "2011-05-04 23:59:59")),
    eggdata::GenerateEggData(ServerData("2011-05-05 00:00:00", kStop))};

std::vector<std::string> Targets(const dataserver::DataServer& server) {
  std::vector<std::string> targets;
  for (const auto& request : server.Requests()) targets.push_back(request.target);
  return targets;
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

// Kept compressed here; kept inflated and under other names: see the
// segment download tests.
TEST(RemoteRunTest, AThreeDayRunRequestsEachDayOnceKeepsItAndEndsLikeALocalRunOfTheKeptData) {
  RemoteHarness remote;
  const std::string save = remote.dir.File("save/");
  std::filesystem::create_directories(save);
  ASSERT_TRUE(remote.job->SetRemoteSaveDirectory(true, save, true));
  testing::WriteFile(remote.temp + "eggnet.log", "an earlier run\n");
  {
    ProgressLogCapture log(remote.dir.File("egg.log"));
    remote.StartRemoteRun("Quake", kStart, kStop);
    remote.TickToEnd();
    EXPECT_EQ(Count(log.Contents(), "Internet thread created and ready\n"), 3);
    EXPECT_EQ(Count(log.Contents(), "Initiating retry"), 0);
  }
  const std::string query = "/cgi-bin/eggdatareq.pl?z=1&year=2011&month=5&day=";
  EXPECT_EQ(Targets(*remote.server),
            (std::vector<std::string>{
                query + "3&stime=22%3A00%3A00&etime=23%3A59%3A59&gzip=Yes&idate=Yes",
                query + "4&stime=00%3A00%3A00&etime=23%3A59%3A59&gzip=Yes&idate=Yes",
                query + "5&stime=00%3A00%3A00&etime=01%3A00%3A00&gzip=Yes&idate=Yes"}));
  const char* kept[] = {"Quake.gz", "Quake_2.gz", "Quake_3.gz"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(testing::GunzipBytes(ReadFile(save + kept[i])).value_or(""), kDays[i]) << i;
  }
  EXPECT_FALSE(FileExists(remote.temp + "data.txt.gz"));
  // The network log starts afresh with the run, and each day adds to it.
  const std::string eggnet = ReadFile(remote.temp + "eggnet.log");
  EXPECT_EQ(eggnet.rfind("\nSignaling EThreadReady\n", 0), 0u);
  EXPECT_EQ(Count(eggnet, "Enter httpGetFile\n"), 3);
  EXPECT_EQ(remote.link.statuses().at(0), "Getting data from internet");
  EXPECT_GT(remote.link.bytesReceived(), 0);
  EXPECT_EQ(remote.link.runEndedCount(), 1);

  testing::JobHarness local;
  local.RunLocal("Quake", save + "Quake.gz", kStart, kStop);
  EXPECT_EQ(remote.link.messageTexts(), local.link.messageTexts());
  const auto remoteTree = Tree(remote.root);
  EXPECT_EQ(remoteTree.count("Quake/Quake.dat"), 1u);
  EXPECT_TRUE(remoteTree == Tree(local.root));
}

TEST(RemoteRunTest, APseudoEggRunFetchesTheWholeDayAndWithLoggingOffLeavesTheNetworkLog) {
  RemoteHarness h;
  testing::WriteFile(h.temp + "eggnet.log", "untouched");
  h.StartRemoteRun("MyPEDrun", "2011-05-03 10:00:00", "2011-05-03 12:00:00", true);
  h.TickToEnd();
  EXPECT_EQ(
      Targets(*h.server),
      std::vector<std::string>{"/pseudoeggs.dir/pseudoeggs/2011/basketdata-2011-05-03.csv.gz"});
  EXPECT_EQ(h.link.statuses().at(0), "Getting pseudo egg data from internet");
  EXPECT_TRUE(FileExists(h.Output("MyPEDrun", "MyPEDrun.dat")));
  EXPECT_EQ(ReadFile(h.temp + "eggnet.log"), "untouched");
}

TEST(RemoteRunTest, FailedDownloadsAreRetriedUntilTheTenthFailureEndsTheRun) {
  RemoteHarness h;
  ProgressLogCapture log(h.dir.File("egg.log"));
  // The first day after four failures, the second never: ten in all.
  dataserver::FaultPlan plan;
  plan.statuses = {404, 407, 500, 403, 0};
  plan.statuses.insert(plan.statuses.end(), 8, 500);
  h.server->SetFaults(plan);
  h.StartRemoteRun("Quake", "2011-05-03 23:00:00", "2011-05-04 01:00:00");
  h.TickToEnd();
  const std::string text = log.Contents();
  const char* errors[] = {"Not found", "Not authorized", "Connection failed", "Not authorized"};
  size_t at = 0;
  for (int i = 0; i < 10; ++i) {
    at = text.find(std::string("Internet error\n") + (i < 4 ? errors[i] : "Connection failed"), at);
    at = text.find("Initiating retry number " + std::to_string(i + 1) + " after connection error\n",
                   at);
    ASSERT_NE(at, std::string::npos) << i;
  }
  EXPECT_EQ(text.find("Initiating retry number 10 after connection error\n"
                      "Aborted during internet read after max retries\n"),
            at);
  EXPECT_EQ(Count(text, "Read local file"), 0);
  EXPECT_EQ(h.link.messageTexts(),
            std::vector<std::string>{
                "Quake: Aborted during internet read after max retries (Connection failed)"});
  EXPECT_EQ(h.link.runEndedCount(), 1);
  EXPECT_EQ(h.DataRequests(), 11);
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(h.DataRequests(), 11);
}

TEST(RemoteRunTest, StopDuringADownloadEndsTheRunAtTheNextTickWithoutARetry) {
  RemoteHarness h;
  ProgressLogCapture log(h.dir.File("egg.log"));
  dataserver::FaultPlan plan;
  plan.stallRequests = 1;
  plan.stallAfterBytes = 100;
  h.server->SetFaults(plan);
  h.StartRemoteRun("Quake", "2011-05-03 00:00:00", "2011-05-03 00:59:59");
  ASSERT_TRUE(h.TickUntil([&] { return h.link.bytesReceived() == 100; }));
  h.job->StopAnalysis();
  h.job->OnJobTimer();
  EXPECT_TRUE(h.job->Ended());
  for (int i = 0; i < 3; ++i) h.job->OnJobTimer();
  h.job.reset();
  EXPECT_EQ(h.link.runEndedCount(), 1);
  EXPECT_EQ(h.link.messageTexts(), std::vector<std::string>{});
  EXPECT_EQ(h.DataRequests(), 1);
  EXPECT_EQ(Count(log.Contents(), "Initiating retry"), 0);
}

// The download supervision driven directly: one ten-minute segment, and a
// clock of the test's own.
struct Supervision {
  Supervision() {
    AnalysisSettings& settings = job.context.settings;
    settings.dataName = "Quake";
    settings.tempDirectory = settings.rootDirectory = h.temp;
    settings.remoteAccess = true;
    settings.dataUrl = h.server->DataUrl();
    settings.startTime = SecondsFromText("2011-05-03 00:00:00");
    settings.stopTime = settings.startTime + 599;
    EXPECT_TRUE(job.BuildDaySegments());
    job.now_seconds = [this] { return clock.load(); };
  }
  // Ticks until the input is in; the retries it took.
  int TickToInput(RemoteDownload& remote) {
    EXPECT_TRUE(testing::WaitFor([&] {
      remote.OnTick();
      return job.input_complete.load() || job.context.Aborted();
    }));
    EXPECT_FALSE(job.context.Aborted());
    EXPECT_EQ(ReadFile(job.segment_files[0]),
              eggdata::GenerateEggData(ServerData("2011-05-03 00:00:00", "2011-05-03 00:09:59")));
    remote.Release();
    return Count(log.Contents(), "Initiating retry");
  }

  RemoteHarness h;
  ProgressLogCapture log{h.dir.File("egg.log")};
  JobState job{&h.link, &h.link};
  std::atomic<std::int64_t> clock{500};
};

TEST(SupervisionTest, AStallIsRetriedAndLateReportsOfTheStalledWorkerAreIgnored) {
  Supervision s;
  dataserver::FaultPlan plan;
  plan.stallRequests = 2;
  plan.stallAfterBytes = 100;
  s.h.server->SetFaults(plan);
  RemoteDownload remote(s.job);
  remote.Start();
  ASSERT_TRUE(testing::WaitFor([&] { return s.h.link.bytesReceived() == 100; }));
  // Thirty seconds without data are not yet a stall; more are.
  s.clock += 30;
  remote.OnTick();
  EXPECT_EQ(Count(s.log.Contents(), "Initiating retry"), 0);
  s.clock += 1;
  remote.OnTick();
  EXPECT_NE(s.log.Contents().find("Initiating retry number 1\n"), std::string::npos);
  ASSERT_TRUE(testing::WaitFor([&] { return s.h.DataRequests() == 2; }));

  // The first worker's reports, however late, are not the second's.
  InternetReport late;
  late.generation = 1;
  late.resultText = "Successful";
  remote.ExitInternetThread(late);
  late.resultCode = 5;
  late.resultText = "Not found";
  remote.ExitInternetThread(late);
  remote.OnTick();
  EXPECT_FALSE(s.job.input_complete.load());
  EXPECT_EQ(Count(s.log.Contents(), "Report of a stopped internet thread ignored\n"), 3);

  // The second worker's own failure counts; the third download completes.
  s.h.server->ReleaseStalls();
  EXPECT_EQ(s.TickToInput(remote), 2);
  EXPECT_EQ(s.h.DataRequests(), 3);
  EXPECT_EQ(Targets(*s.h.server)[0], Targets(*s.h.server)[2]);
}

// A worker that never becomes ready.
class MuteWorker : public CInternet {
 public:
  MuteWorker(std::shared_ptr<InternetOwnerLink> owner, std::uint64_t generation)
      : CInternet(std::move(owner), generation) {
    SetReadyTimeout(50ms);
  }
  ~MuteWorker() override { EndThread(); }

 protected:
  void Run() override { StopEvent().Wait(); }
};

TEST(SupervisionTest, AWorkerThatCannotStartOrIsNotReadyCountsAsAFailedDownload) {
  Supervision s;
  int made = 0;
  RemoteDownload remote(s.job,
                        [&](std::shared_ptr<InternetOwnerLink> owner,
                            std::uint64_t generation) -> std::unique_ptr<CInternet> {
                          if (++made == 1) return nullptr;
                          if (made == 2)
                            return std::make_unique<MuteWorker>(std::move(owner), generation);
                          return std::make_unique<CInternet>(std::move(owner), generation);
                        });
  remote.Start();
  EXPECT_EQ(s.TickToInput(remote), 2);
  EXPECT_EQ(s.h.DataRequests(), 1);
  const std::string text = s.log.Contents();
  size_t at = 0;
  for (const char* line :
       {"Failed to start internet thread\n", "retry number 1 after", "Internet thread not ready\n",
        "retry number 2 after", "Internet thread created and ready\n"}) {
    at = text.find(line, at);
    ASSERT_NE(at, std::string::npos) << line;
  }
}

}  // namespace
}  // namespace corvane
