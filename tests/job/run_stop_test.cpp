// The user's Stop at every stage of a local and of a remote run: the run ends
// as stopped, once, and nothing it says as it winds down reaches the user as
// a fault of the data (no box, no line of the summary table). A Stop while a
// run writes its results leaves the earlier results exactly as they were.
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "job_harness.h"
#include "support/folder_snapshot.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using testing::ActingLink;
using testing::DataRange;
using testing::DifferentFiles;
using testing::FileExists;
using testing::FolderSnapshot;
using testing::JobHarness;
using testing::ProgressLogCapture;
using testing::RemoteHarness;

constexpr const char* kStart = "2011-05-03 10:00:00";
constexpr const char* kHourLater = "2011-05-03 10:59:59";

// The link showed the status at some time.
bool Saw(const testing::RecordingLink& link, const std::string& status) {
  return std::ranges::count(link.statuses(), status) > 0;
}

// Texts a stop must never produce, even in the progress log; the failed
// tries a remote run made before the stop are the only internet errors.
void ExpectNoDataFault(const std::string& log, int failedTries = 0) {
  for (const char* fault :
       {"Insufficient data", "No useable", "Damaged data", "No data received"}) {
    EXPECT_EQ(log.find(fault), std::string::npos) << fault << " in\n" << log;
  }
  EXPECT_EQ(testing::Count(log, "Internet error\n"), failedTries) << log;
  EXPECT_EQ(testing::Count(log, "Initiating retry"), failedTries) << log;
}

TEST(RunStopTest, StopAtEveryStageOfALocalRunEndsItAsStoppedAndSilent) {
  const char* stages[] = {"Reading local file",   "Computing statistics",       "Smoothing data",
                          "Creating audio",       "Searching for event echoes", "DFT of variables",
                          "Writing results file", "Comparing intervals"};
  for (const bool batch : {false, true}) {
    for (const char* stage : stages) {
      SCOPED_TRACE(std::string(stage) + (batch ? " in batch mode" : ""));
      ActingLink link;
      JobHarness h(&link);
      link.job = h.job.get();
      link.trigger = stage;
      ProgressLogCapture log(h.dir.File("egg.log"));
      const std::string data = h.WriteData("q.csv", DataRange(kStart, kHourLater));
      h.job->SetAudio(true, AudioSettings());
      h.job->SetEchoMethod(1);
      h.job->SetEventTime("2011-05-03 10:30:00", 1800, 5);
      h.job->SetDft(true, 1024);
      h.job->SetCompareIntervals(true);
      h.job->SetIntervals(0, 1800, 1800);
      h.RunLocal("Quake", data, kStart, kHourLater, batch);
      ASSERT_TRUE(h.job->Ended());
      EXPECT_TRUE(Saw(link, stage));
      EXPECT_EQ(link.runEndedCount(), 1);
      EXPECT_EQ(link.report().outcome, RunOutcome::kStopped);
      EXPECT_EQ(link.report().message, "");
      EXPECT_EQ(link.messageTexts(), std::vector<std::string>{});
      EXPECT_FALSE(FileExists(h.root + "summary.tst"));
      if (!batch) {
        EXPECT_EQ(testing::WaitForRecord(h.gnuplotRecord, 500ms), "");
      }
      ExpectNoDataFault(log.Contents());
    }
  }
}

// A day at a time from the stand-in server: Stop as a download starts, while
// it stalls halfway, while a failed try waits for its retry, while the day
// is inflated and while it is read. No day more is asked for, and nothing of
// the run is left in the temporary directory.
TEST(RunStopTest, StopAtEveryStageOfARemoteRunEndsItAsStoppedAndSilent) {
  const dataserver::FaultPlan stall{.statuses = {}, .stallRequests = 1, .stallAfterBytes = 100};
  const dataserver::FaultPlan error{.statuses = {503}};
  const struct {
    const char* stage;  // the status when the Stop comes
    dataserver::FaultPlan plan;
    int requests;          // made before the Stop
    bool between = false;  // Stop between two ticks, not as the status shows
  } cases[] = {
      {"Getting data from internet: day 1 of 2", {}, 1},
      {"Getting data from internet: day 1 of 2", stall, 1, true},
      {"Getting data from internet: day 1 of 2 (Server error 503; retry 1 in 1 s)", error, 1, true},
      {"Uncompressing data file", {}, 2},
      {"Reading local file", {}, 2},
      {"Computing statistics", {}, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stage);
    ActingLink link;
    RemoteHarness h(&link);
    link.job = h.job.get();
    link.trigger = c.between ? "-" : c.stage;
    ProgressLogCapture log(h.dir.File("egg.log"));
    h.server->SetFaults(c.plan);
    // The test's clock passes any wait for a retry at once.
    h.UseTestClock();
    h.StartRemoteRun("Quake", "2011-05-03 22:00:00", "2011-05-04 01:00:00");
    if (c.between) {
      ASSERT_TRUE(h.TickUntil([&] {
        return c.plan.stallRequests > 0 ? h.link.bytesReceived() == 100
                                        : testing::RetryWaiting(link);
      }));
      EXPECT_EQ(link.statuses().back(), c.stage);
      EXPECT_EQ(FileExists(h.temp + "data.txt.gz"), c.plan.stallRequests > 0);
      // However late the next tick, it ends the run and nothing else.
      h.job->StopAnalysis();
      h.clock += 100;
      h.job->OnJobTimer();
      EXPECT_TRUE(h.job->Ended());
    }
    h.TickToEnd();
    ASSERT_TRUE(h.job->Ended());
    EXPECT_TRUE(Saw(link, c.stage));
    EXPECT_EQ(link.report().outcome, RunOutcome::kStopped);
    EXPECT_EQ(link.messageTexts(), std::vector<std::string>{});
    EXPECT_EQ(testing::WaitForRecord(h.gnuplotRecord, 500ms), "");
    h.job.reset();
    EXPECT_EQ(link.runEndedCount(), 1);
    ExpectNoDataFault(log.Contents(), static_cast<int>(c.plan.statuses.size()));
    EXPECT_EQ(testing::Count(log.Contents(), "Get internet data using\n"), c.requests);
    EXPECT_LE(h.DataRequests(), c.requests);
    EXPECT_EQ(h.TempLeftovers(), std::vector<std::string>{});
  }
}

std::int64_t SizeOf(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? info.st_size : -1;
}

// One batch run of Quake with every analysis into the output root, on a job
// thread of its own.
struct QuakeRun : testing::JobHarness {
  QuakeRun(const std::string& outputRoot, const std::string& data, const std::string& stop) {
    root = outputRoot;
    job->SetAudio(true, AudioSettings{});
    job->SetDft(true, 1024);
    job->SetCompareIntervals(true);
    job->SetIntervals(0, 3600, 3600);
    job->SetEchoMethod(1);
    job->SetEventTime("2011-05-03 06:00:00", 360, 5);
    EXPECT_TRUE(job->StartThread());
    StartLocalRun("Quake", data, "2011-05-03 00:00:00", stop, true);
  }
};

// A two-day run with every analysis: at each point the earlier results stay
// and nothing of the stopped run is left behind, not even a pending file.
TEST(ResultSetStopTest, AStopWhileTheResultsAreWrittenKeepsTheEarlierResultsOnly) {
  JobHarness h;
  const auto files = eggdata::WriteEggDataDays(
      h.dir.File("d.csv"), DataRange("2011-05-03 00:00:00", "2011-05-04 23:59:59"), false);
  ASSERT_EQ(files.size(), 2u);
  {
    QuakeRun earlier(h.root, files[0], "2011-05-03 23:59:59");
    ASSERT_TRUE(earlier.link.WaitForRunEnded(120s));
  }
  const auto earlier = FolderSnapshot(h.root);
  std::int64_t data = 0;
  {
    QuakeRun later(h.root, files[0], "2011-05-04 23:59:59");
    ASSERT_TRUE(later.link.WaitForRunEnded(120s));
    data = SizeOf(h.Output("Quake", "Quake.dat"));
    ASSERT_FALSE(DifferentFiles(FolderSnapshot(h.root), earlier).empty());
  }

  const std::string folder = h.root + "Quake/";
  const auto appeared = [&](const char* file) {
    return [&, file] { return FileExists(folder + "." + file + ".pending"); };
  };
  const auto dataAt = [&](double part) {
    return [&, part] { return SizeOf(folder + ".Quake.dat.pending") >= part * data; };
  };
  const std::pair<const char*, std::function<bool()>> points[] = {
      {"first sound file", appeared("Quake_lpvar.wav")},
      {"echo file", appeared("Quake_evcorr.dat")},
      {"first spectrum", appeared("Quake_eggvar_dft.dat")},
      {"a fifth of the data", dataAt(0.2)},
      {"half the data", dataAt(0.5)},
      {"four fifths of the data", dataAt(0.8)},
  };
  for (const auto& [point, reached] : points) {
    SCOPED_TRACE(point);
    testing::RestoreFolder(h.root, earlier);
    QuakeRun run(h.root, files[0], "2011-05-04 23:59:59");
    EXPECT_TRUE(testing::WaitFor([&] { return reached() || run.link.runEndedCount() > 0; }, 120s));
    EXPECT_EQ(run.link.runEndedCount(), 0) << "the run ended before the point";
    run.job->StopAnalysis();
    ASSERT_TRUE(run.link.WaitForRunEnded(120s));
    EXPECT_EQ(DifferentFiles(FolderSnapshot(h.root), earlier), std::vector<std::string>());
  }
}

}  // namespace
}  // namespace corvane
