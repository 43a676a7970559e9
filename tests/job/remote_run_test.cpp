// Remote runs: day-by-day downloads from the stand-in data server over
// loopback, kept or inflated, with their retries, failures and Stop, the
// status and progress they show and the network log.
#include <filesystem>
#include <map>
#include <thread>
#include <utility>

#include <gtest/gtest.h>

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
    EXPECT_EQ(Count(log.Contents(), "Compressed data file moved\n"), 3);
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
  // The network log starts afresh with the run, and each day adds to it.
  const std::string eggnet = ReadFile(remote.temp + "eggnet.log");
  EXPECT_EQ(eggnet.rfind("\nSignaling EThreadReady\n", 0), 0u);
  EXPECT_EQ(Count(eggnet, "Enter httpGetFile\n"), 3);
  EXPECT_GT(remote.link.bytesReceived(), 0);
  EXPECT_EQ(remote.link.runEndedCount(), 1);

  testing::JobHarness local;
  local.RunLocal("Quake", save + "Quake.gz", kStart, kStop);
  EXPECT_EQ(remote.link.messageTexts(), local.link.messageTexts());
  const auto remoteTree = Tree(remote.root);
  EXPECT_EQ(remoteTree.count("Quake/Quake.dat"), 1u);
  EXPECT_TRUE(remoteTree == Tree(local.root));
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

// Each day is requested while the one before is inflated and parsed; the
// days, the results and the order of the requests are those of one day
// after another.
TEST(RemoteRunTest, AnInflatedRunShowsItsDaysAndMatchesALocalRunOfTheSameDays) {
  ProgressLink link;
  RemoteHarness remote(&link);
  link.fraction = [&] { return remote.job->context().InputFraction(); };
  {
    ProgressLogCapture log(remote.dir.File("egg.log"));
    remote.StartRemoteRun("Quake", kStart, kStop);
    remote.TickToEnd();
    const std::string text = log.Contents();
    EXPECT_EQ(Count(text, "Get internet data using\n"), 3);
    EXPECT_EQ(Count(text, "Inflated data\n"), 3);
    EXPECT_EQ(Count(text, "Deleted temp file\n"), 3);
    EXPECT_EQ(Count(text, "Append local file\n"), 2);
  }
  EXPECT_EQ(Targets(*remote.server).size(), 3u);
  EXPECT_EQ(remote.link.messageTexts(), std::vector<std::string>{});
  // The days were read as they were inflated: the temporary directory holds
  // neither their text nor their downloads.
  EXPECT_EQ(remote.TempLeftovers(), std::vector<std::string>{});

  // "day i of 3" in order, and the input fraction moves by a third a day.
  std::vector<std::string> days;
  std::vector<double> fractions;
  for (const auto& [text, fraction] : link.seen) {
    if (text.rfind("Getting data from internet: ", 0) == 0 &&
        (days.empty() || days.back() != text)) {
      days.push_back(text);
    }
    if (fractions.empty() || fractions.back() != fraction) fractions.push_back(fraction);
  }
  EXPECT_EQ(days, (std::vector<std::string>{"Getting data from internet: day 1 of 3",
                                            "Getting data from internet: day 2 of 3",
                                            "Getting data from internet: day 3 of 3"}));
  EXPECT_EQ(fractions, (std::vector<double>{0.0, 1.0 / 3, 2.0 / 3, 1.0}));

  // The same days written by the generator, read from local files.
  testing::JobHarness local;
  const auto files =
      eggdata::WriteEggDataDays(local.dir.File("days.gz"), ServerData(kStart, kStop), true);
  ASSERT_EQ(files.size(), 3u);
  local.RunLocal("Quake", files[0], kStart, kStop);
  EXPECT_EQ(local.link.messageTexts(), std::vector<std::string>{});
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
  EXPECT_EQ(h.link.statuses().at(0), "Getting pseudo egg data from internet: day 1 of 1");
  EXPECT_TRUE(FileExists(h.Output("MyPEDrun", "MyPEDrun.dat")));
  EXPECT_EQ(ReadFile(h.temp + "eggnet.log"), "untouched");
}

TEST(RemoteRunTest, FailedDownloadsAreRetriedUntilTheTenthFailureEndsTheRun) {
  RemoteHarness h;
  h.UseTestClock();
  ProgressLogCapture log(h.dir.File("egg.log"));
  // The first day after four failures, the second never: ten in all.
  dataserver::FaultPlan plan;
  plan.statuses = {404, 407, 500, 403, 0};
  plan.statuses.insert(plan.statuses.end(), 8, 503);
  h.server->SetFaults(plan);
  h.StartRemoteRun("Quake", "2011-05-03 23:00:00", "2011-05-04 01:00:00");
  h.TickToEnd();
  const std::string text = log.Contents();
  const char* errors[] = {"Not found", "Not authorized", "Server error 500", "Not authorized"};
  size_t at = 0;
  for (int i = 0; i < 10; ++i) {
    at = text.find(std::string("Internet error\n") + (i < 4 ? errors[i] : "Server error 503"), at);
    at = text.find("Initiating retry number " + std::to_string(i + 1) + " after connection error\n",
                   at);
    ASSERT_NE(at, std::string::npos) << i;
  }
  EXPECT_EQ(text.find("Initiating retry number 10 after connection error\n"
                      "Aborted during internet read after max retries\n"),
            at);
  EXPECT_EQ(Count(text, "Read local file"), 0);
  EXPECT_EQ(h.link.messageTexts(),
            std::vector<std::string>{"Quake: Aborted during internet read after max retries "
                                     "(Server error 503 for 2011-05-04 from " +
                                     h.server->DataUrl() + ")"});
  EXPECT_EQ(h.link.runEndedCount(), 1);
  EXPECT_EQ(h.DataRequests(), 11);
  // Nothing of the run stays behind: not the first day, not a download.
  EXPECT_EQ(h.TempLeftovers(), std::vector<std::string>{});
  h.clock += 100;
  h.job->OnJobTimer();
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(h.DataRequests(), 11);
}

TEST(RemoteRunTest, AWrongDataUrlBaseIsNamedInTheMessageAndStopEndsTheWaitForARetry) {
  RemoteHarness h;
  h.UseTestClock();
  h.dataUrl = h.server->BaseUrl() + "cgi-bin/eggdata.pl?z=1";
  h.StartRemoteRun("Quake", "2011-05-03 00:00:00", "2011-05-03 00:09:59");
  h.TickToEnd();
  EXPECT_EQ(h.link.messageTexts(),
            std::vector<std::string>{"Quake: Aborted during internet read after max retries "
                                     "(Not found for 2011-05-03 from " +
                                     h.dataUrl + ")"});
  EXPECT_EQ(h.server->Requests().size(), 10u);

  RemoteHarness stopped;
  stopped.UseTestClock();
  stopped.server->SetFaults(dataserver::FaultPlan{.statuses = {503}});
  stopped.StartRemoteRun("Quake", "2011-05-03 00:00:00", "2011-05-03 00:09:59");
  ASSERT_TRUE(testing::WaitFor([&] {
    stopped.job->OnJobTimer();
    return testing::RetryWaiting(stopped.link);
  }));
  EXPECT_EQ(stopped.link.statuses().back(),
            "Getting data from internet: day 1 of 1 (Server error 503; retry 1 in 1 s)");
  stopped.job->StopAnalysis();
  stopped.clock += 100;
  stopped.job->OnJobTimer();
  EXPECT_TRUE(stopped.job->Ended());
  EXPECT_EQ(stopped.link.messageTexts(), std::vector<std::string>{});
  EXPECT_EQ(stopped.DataRequests(), 1);
}

TEST(RemoteRunTest, StopDuringADownloadEndsTheRunAtTheNextTickWithoutARetryOrItsFile) {
  RemoteHarness h;
  ProgressLogCapture log(h.dir.File("egg.log"));
  dataserver::FaultPlan plan;
  plan.stallRequests = 1;
  plan.stallAfterBytes = 100;
  h.server->SetFaults(plan);
  h.StartRemoteRun("Quake", "2011-05-03 00:00:00", "2011-05-03 00:59:59");
  ASSERT_TRUE(h.TickUntil([&] { return h.link.bytesReceived() == 100; }));
  EXPECT_TRUE(FileExists(h.temp + "data.txt.gz"));
  h.job->StopAnalysis();
  h.job->OnJobTimer();
  EXPECT_TRUE(h.job->Ended());
  for (int i = 0; i < 3; ++i) h.job->OnJobTimer();
  h.job.reset();
  EXPECT_EQ(h.link.runEndedCount(), 1);
  EXPECT_EQ(h.link.messageTexts(), std::vector<std::string>{});
  EXPECT_EQ(h.DataRequests(), 1);
  EXPECT_EQ(Count(log.Contents(), "Initiating retry"), 0);
  EXPECT_EQ(h.TempLeftovers(), std::vector<std::string>{});
}

// The second of two days fails in a way no retry mends; the first day's
// inflated file and the failed download go with the run.
TEST(RemoteRunTest, ADayThatIsNoDataEndsTheRunNamingItAndLeavesNothingBehind) {
  dataserver::FaultPlan page;
  page.messagePageRequests = 1;
  dataserver::FaultPlan plainPage = page;
  plainPage.plainMessagePage = true;
  dataserver::FaultPlan otherPage = page;
  otherPage.doctypeMessagePage = true;
  dataserver::FaultPlan damaged;
  damaged.truncatedRequests = 1;
  const struct {
    const char* what;
    dataserver::FaultPlan plan;
    bool batch;
    const char* message;
    int pageLines;  // "Received message instead of data" in the log
  } cases[] = {
      {"message page", page, false, "No data received for 2011-05-04", 1},
      {"plain message page", plainPage, true, "No data received for 2011-05-04", 1},
      {"unrecognised page", otherPage, false,
       "data received for 2011-05-04 is not a proper data file for analysis", 0},
      {"damaged", damaged, false, "Damaged data received for 2011-05-04", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RemoteHarness h;
    ProgressLogCapture log(h.dir.File("egg.log"));
    dataserver::FaultPlan plan = c.plan;
    plan.skipRequests = 1;
    h.server->SetFaults(plan);
    h.StartRemoteRun("Quake", "2011-05-03 23:00:00", "2011-05-04 01:00:00", false, c.batch);
    h.TickToEnd();
    const std::string expected = std::string("Quake: ") + c.message;
    if (c.batch) {
      EXPECT_EQ(ReadFile(h.root + "summary.tst"), expected + "\n");
    } else {
      EXPECT_EQ(h.link.messageTexts(), std::vector<std::string>{expected});
    }
    EXPECT_EQ(Count(log.Contents(), "Received message instead of data from remote server\n"),
              c.pageLines);
    EXPECT_EQ(Count(log.Contents(), "Initiating retry"), 0);
    EXPECT_EQ(h.DataRequests(), 2);
    EXPECT_EQ(h.TempLeftovers(), std::vector<std::string>{});
  }
}

}  // namespace
}  // namespace corvane
