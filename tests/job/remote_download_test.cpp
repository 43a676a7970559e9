// The download supervision of a remote run, driven directly: reports of
// workers that were stopped must never count for their successors.
#include "job/remote_download.h"

#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "core/date_time.h"
#include "dataserver/data_server.h"
#include "job/job_state.h"
#include "job_harness.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using testing::ProgressLogCapture;
using testing::RecordingLink;
using testing::TempDir;

bool WaitFor(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

int Count(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// A job with a one-segment remote run of ten minutes, and the server it
// asks.
class RemoteDownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dataserver::ServerOptions options;
    options.port = 0;
    options.eggCount = 4;
    server_ = std::make_unique<dataserver::DataServer>(options);
    ASSERT_TRUE(server_->Start());
    AnalysisSettings& settings = job_.context.settings;
    settings.dataName = "Quake";
    settings.tempDirectory = dir_.path();
    settings.rootDirectory = dir_.path();
    settings.remoteAccess = true;
    settings.dataUrl = server_->DataUrl();
    settings.startTime = SecondsFromText("2011-05-03 00:00:00");
    settings.stopTime = SecondsFromText("2011-05-03 00:09:59");
    ASSERT_TRUE(job_.BuildDaySegments());
    auto clock = clock_;
    job_.now_seconds = [clock] { return clock->load(); };
  }

  // Ticks until the input is complete or the run aborted.
  bool TickUntilInputOrAbort(RemoteDownload& remote) {
    return WaitFor([&] {
      remote.OnTick();
      return job_.input_complete.load() || job_.context.Aborted();
    });
  }

  TempDir dir_;
  ProgressLogCapture log_{dir_.File("egg.log")};
  std::unique_ptr<dataserver::DataServer> server_;
  RecordingLink link_;
  JobState job_{&link_, &link_};
  std::shared_ptr<std::atomic<std::int64_t>> clock_ =
      std::make_shared<std::atomic<std::int64_t>>(500);
};

TEST_F(RemoteDownloadTest, LateReportsOfAStoppedWorkerAreIgnored) {
  dataserver::FaultPlan plan;
  plan.stallRequests = 2;
  plan.stallAfterBytes = 100;
  server_->SetFaults(plan);
  RemoteDownload remote(job_);
  remote.Start();
  ASSERT_TRUE(WaitFor([&] { return link_.bytesReceived() == 100; }));
  *clock_ += 31;
  remote.OnTick();  // the stall: the first worker goes, a second one starts
  ASSERT_TRUE(WaitFor([&] { return server_->DataRequestCount() == 2; }));

  // The first worker's reports, however late, are not the second's.
  InternetReport late;
  late.generation = 1;
  late.segmentIndex = 0;
  late.resultText = "Successful";
  remote.ExitInternetThread(late);
  late.resultCode = 5;
  late.resultText = "Not found";
  remote.ExitInternetThread(late);
  remote.OnTick();
  EXPECT_FALSE(job_.input_complete.load());
  EXPECT_FALSE(job_.context.Aborted());
  EXPECT_TRUE(job_.segment_files[0].empty());
  EXPECT_EQ(Count(log_.Contents(), "Initiating retry"), 1);
  EXPECT_EQ(Count(log_.Contents(), "Report of a stopped internet thread ignored\n"), 3);

  // The second worker's own failure counts; the third download completes.
  server_->ReleaseStalls();
  ASSERT_TRUE(TickUntilInputOrAbort(remote));
  EXPECT_FALSE(job_.context.Aborted());
  EXPECT_EQ(server_->DataRequestCount(), 3);
  EXPECT_EQ(job_.input_file_count, 1);
  EXPECT_EQ(job_.segment_files[0], dir_.File("data.csv"));
  const std::string text = log_.Contents();
  EXPECT_EQ(Count(text, "Initiating retry"), 2);
  EXPECT_NE(text.find("Initiating retry number 2 after connection error\n"), std::string::npos);
  remote.Release();
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

TEST_F(RemoteDownloadTest, AWorkerThatCannotStartOrIsNotReadyCountsAsAFailedDownload) {
  int made = 0;
  auto factory = [&](std::shared_ptr<InternetOwnerLink> owner,
                     std::uint64_t generation) -> std::unique_ptr<CInternet> {
    ++made;
    if (made == 1) return nullptr;  // could not be made
    if (made == 2) return std::make_unique<MuteWorker>(std::move(owner), generation);
    return std::make_unique<CInternet>(std::move(owner), generation);
  };
  RemoteDownload remote(job_, factory);
  remote.Start();
  ASSERT_TRUE(TickUntilInputOrAbort(remote));
  EXPECT_FALSE(job_.context.Aborted());
  EXPECT_EQ(made, 3);
  EXPECT_EQ(server_->DataRequestCount(), 1);
  const std::string text = log_.Contents();
  const char* expected[] = {
      "Failed to start internet thread\n", "Initiating retry number 1 after connection error\n",
      "Internet thread not ready\n", "Initiating retry number 2 after connection error\n",
      "Internet thread created and ready\n"};
  size_t at = 0;
  for (const char* line : expected) {
    at = text.find(line, at);
    ASSERT_NE(at, std::string::npos) << line;
  }
  EXPECT_EQ(job_.segment_files[0], dir_.File("data.csv"));
  remote.Release();
}

}  // namespace
}  // namespace corvane
