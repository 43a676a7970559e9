// The download supervision driven directly, tick by tick, with a clock of the
// test's own: stalls, slow transfers, retries and their waits, answers that
// are not the day, and workers that never start.
#include <atomic>
#include <string>

#include <gtest/gtest.h>

#include "core/c_format.h"
#include "job/job_state.h"
#include "job/remote_download.h"
#include "job_harness.h"

namespace corvane {
namespace {

using testing::Count;
using testing::ProgressLogCapture;
using testing::ReadFile;
using testing::RemoteHarness;

// One ten-minute segment of 2011-05-03.
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
  // Ticks until the input is in, moving the clock past every wait for a
  // retry; the retries it took. While a retry waits, nothing of the failed
  // try is left in the temporary directory; at the end the day is parsed,
  // whole, and nothing is left there either.
  int TickToInput(RemoteDownload& remote) {
    EXPECT_TRUE(testing::WaitFor([&] {
      if (testing::RetryWaiting(h.link)) {
        ExpectNothingLeft();
        clock += RemoteHarness::kLongestRetryWait;
      }
      remote.OnTick();
      return job.input_complete.load() || job.context.Aborted();
    }));
    EXPECT_FALSE(job.context.Aborted());
    const auto& day = job.parsed_inputs.at(0);
    EXPECT_TRUE(day != nullptr && day->RecordCount() == 600 &&
                day->end == ParsedEggFile::End::kComplete &&
                day->times.back() == job.context.settings.stopTime);
    remote.Release();
    ExpectNothingLeft();
    return Count(log.Contents(), "Initiating retry");
  }
  // No partial download ("data.txt.gz"), handed-over download or inflated
  // file in the temporary directory.
  void ExpectNothingLeft() const {
    EXPECT_EQ(h.TempLeftovers(), std::vector<std::string>{}) << log.Contents();
  }
  int Requests() const { return Count(log.Contents(), "Get internet data using\n"); }
  // Starts the download against a server with these faults.
  RemoteDownload& Start(const dataserver::FaultPlan& plan) {
    h.server->SetFaults(plan);
    download = std::make_unique<RemoteDownload>(job);
    download->Start();
    return *download;
  }

  RemoteHarness h;
  ProgressLogCapture log{h.dir.File("egg.log")};
  JobState job{&h.link, &h.link};
  std::atomic<std::int64_t> clock{500};
  std::unique_ptr<RemoteDownload> download;
};

TEST(SupervisionTest, AStallIsRetriedAndLateReportsOfTheStalledWorkerAreIgnored) {
  Supervision s;
  RemoteDownload& remote = s.Start({.statuses = {}, .stallRequests = 2, .stallAfterBytes = 100});
  ASSERT_TRUE(testing::WaitFor([&] { return s.h.link.bytesReceived() == 100; }));
  // How long a transfer may go without data: see TransferWatchTest.
  s.clock += 31;
  remote.OnTick();
  EXPECT_NE(s.log.Contents().find("No data received for more than 30 seconds\n"
                                  "Initiating retry number 1\n"),
            std::string::npos);
  s.clock += 1;
  remote.OnTick();
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
  EXPECT_EQ(s.h.server->Requests()[0].target, s.h.server->Requests()[2].target);
}

// Server errors, then answers cut short that leave part of a body behind
// (an error status whose body is the day: see HttpClientTest).
TEST(SupervisionTest, RetriesWaitOneTwoFourAndAtMostThirtySecondsBetweenTries) {
  Supervision s;
  // The fourth to seventh answers end halfway.
  RemoteDownload& remote = s.Start({.statuses = {503, 503, 503}, .shortBodyRequests = 7});
  const std::int64_t waits[] = {1, 2, 4, 8, 16, 30, 30};
  for (int k = 0; k < 7; ++k) {
    SCOPED_TRACE(k);
    const std::string retry = "Initiating retry number " + std::to_string(k + 1) + " after";
    ASSERT_TRUE(testing::WaitFor([&] {
      remote.OnTick();
      return Count(s.log.Contents(), retry) == 1;
    }));
    EXPECT_NE(s.log.Contents().find(CFormat("Waiting %lld seconds before retry number %d\n",
                                            static_cast<long long>(waits[k]), k + 1)),
              std::string::npos);
    s.ExpectNothingLeft();
    const std::int64_t failed = s.clock;
    s.clock = failed + waits[k] - 1;
    remote.OnTick();
    EXPECT_EQ(s.Requests(), k + 1);
    s.clock = failed + waits[k];
    remote.OnTick();
    EXPECT_EQ(s.Requests(), k + 2);
  }
  EXPECT_EQ(s.TickToInput(remote), 7);
  EXPECT_EQ(s.h.DataRequests(), 8);
  EXPECT_EQ(RemoteDownload::RetryDelaySeconds(9), 30);
}

// A server that sends a byte now and then is never 30 seconds without data
// but stays under the floor of bytes a minute: the day is tried again.
TEST(SupervisionTest, ATransferUnderTheFloorCountsAsAStall) {
  Supervision s;
  RemoteDownload& remote = s.Start({.statuses = {},
                                    .trickleBytes = 1,
                                    .trickleInterval = std::chrono::milliseconds(20),
                                    .trickleRequests = 1});
  for (int step = 1; step <= 3; ++step) {
    SCOPED_TRACE(step);
    EXPECT_EQ(Count(s.log.Contents(), "Initiating retry"), 0);
    // The job's clock moves 20 seconds from one byte to the next.
    const std::int64_t bytes = s.h.link.bytesReceived();
    ASSERT_TRUE(testing::WaitFor([&] { return s.h.link.bytesReceived() > bytes; }));
    s.clock += 20;
    remote.OnTick();
  }
  EXPECT_NE(s.log.Contents().find("Fewer than 61440 bytes received in 60 seconds\n"
                                  "Initiating retry number 1\n"),
            std::string::npos);
  EXPECT_EQ(s.TickToInput(remote), 1);
}

TEST(SupervisionTest, AnAnswerOverTheDownloadLimitEndsTheRunAtOnce) {
  Supervision s;
  RemoteDownload remote(s.job);
  remote.SetDownloadLimit(1000);
  remote.Start();
  ASSERT_TRUE(testing::WaitFor([&] {
    remote.OnTick();
    return s.job.context.Aborted();
  }));
  remote.Release();
  EXPECT_EQ(
      s.h.link.messageTexts(),
      std::vector<std::string>{"Quake: The answer for 2011-05-03 from " + s.h.server->DataUrl() +
                               " is larger than the download limit of 1000 bytes"});
  EXPECT_EQ(Count(s.log.Contents(), "Initiating retry"), 0);
  EXPECT_EQ(s.h.DataRequests(), 1);
  EXPECT_EQ(s.h.TempLeftovers(), std::vector<std::string>{});
}

// A worker that never becomes ready.
class MuteWorker : public CInternet {
 public:
  MuteWorker(std::shared_ptr<InternetOwnerLink> owner, std::uint64_t generation)
      : CInternet(std::move(owner), generation) {
    SetReadyTimeout(std::chrono::milliseconds(50));
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
