#include "net/internet_worker.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "server_fixture.h"
#include "support/gunzip_bytes.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using testing::FileExists;
using testing::GunzipBytes;
using testing::ReadFile;
using testing::WriteFile;

// An owner that records what its workers report.
class RecordingOwner : public InternetOwner {
 public:
  void ExitInternetThread(const InternetReport& report) override {
    std::lock_guard<std::mutex> lock(mutex_);
    reports_.push_back(report);
    changed_.notify_all();
  }
  void PostBytesReceived(std::int64_t count) override { bytes_ = count; }
  bool DownloadsCancelled() const override { return cancelled_.load(); }

  bool WaitForReports(size_t count, std::chrono::milliseconds limit = 10s) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return reports_.size() >= count; });
  }
  std::vector<InternetReport> reports() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return reports_;
  }
  std::int64_t bytes() const { return bytes_.load(); }
  void Cancel() { cancelled_ = true; }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<InternetReport> reports_;
  std::atomic<std::int64_t> bytes_{0};
  std::atomic<bool> cancelled_{false};
};

class InternetWorkerTest : public testing::ServerFixture {
 protected:
  std::unique_ptr<CInternet> StartWorker(std::uint64_t generation, bool fresh_log = false) {
    auto worker = std::make_unique<CInternet>(link_, generation);
    worker->SetLogging(true, fresh_log, dir_.File("eggnet.log"));
    EXPECT_NE(worker->Start(WorkerThread::kStartAtOnce, ThreadPriority::kBelowNormal,
                            CInternet::kThreadName),
              0);
    EXPECT_TRUE(worker->WaitForThreadReady());
    return worker;
  }

  RecordingOwner owner_;
  std::shared_ptr<InternetOwnerLink> link_ = std::make_shared<InternetOwnerLink>(&owner_);
};

TEST_F(InternetWorkerTest, OneRequestIsDownloadedAndReportedWithItsGenerationAndSegment) {
  auto worker = StartWorker(7, true);
  const std::string file = dir_.File("data.txt.gz");
  worker->GetInternetData(DayUrl(), file, 2);
  ASSERT_TRUE(owner_.WaitForReports(1));
  WorkerThread::Dispose(std::move(worker));

  const std::vector<InternetReport> reports = owner_.reports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].generation, 7u);
  EXPECT_EQ(reports[0].segmentIndex, 2);
  EXPECT_EQ(reports[0].resultCode, 0);
  EXPECT_EQ(reports[0].resultText, "Successful");
  EXPECT_FALSE(reports[0].cancelled);
  EXPECT_EQ(owner_.bytes(), static_cast<std::int64_t>(ReadFile(file).size()));
  EXPECT_TRUE(GunzipBytes(ReadFile(file)));

  EXPECT_EQ(ReadFile(dir_.File("eggnet.log")),
            "\nSignaling EThreadReady\nSignalled internet thread ready\n"
            "***Entered GetInternetData***\nEntered 'Execute' loop\nCall httpGetFile\n"
            "Enter httpGetFile\nCInternetSession created\nOpened URL\nReading http data\n"
            "Http data read\nExit CInternet::Execute\n");
}

TEST_F(InternetWorkerTest, OnlyAFreshWorkerTruncatesTheLogAndADisabledLogIsNotTouched) {
  const std::string log = dir_.File("eggnet.log");
  WriteFile(log, "old run\n");
  auto appending = StartWorker(1, false);
  WorkerThread::Dispose(std::move(appending));
  EXPECT_EQ(ReadFile(log).rfind("old run\nSignaling EThreadReady\n", 0), 0u);

  auto fresh = StartWorker(2, true);
  WorkerThread::Dispose(std::move(fresh));
  EXPECT_EQ(ReadFile(log).rfind("\nSignaling EThreadReady\n", 0), 0u);

  WriteFile(log, "untouched");
  auto silent = std::make_unique<CInternet>(link_, 3);
  silent->SetLogging(false, true, log);
  ASSERT_NE(silent->Start(0, ThreadPriority::kBelowNormal, CInternet::kThreadName), 0);
  ASSERT_TRUE(silent->WaitForThreadReady());
  silent->GetInternetData(DayUrl(), dir_.File("data.txt.gz"), 0);
  ASSERT_TRUE(owner_.WaitForReports(3));
  WorkerThread::Dispose(std::move(silent));
  EXPECT_EQ(ReadFile(log), "untouched");
  EXPECT_EQ(owner_.reports().back().resultCode, 0);
}

TEST_F(InternetWorkerTest, StopOfAnIdleWorkerReportsACancelledEnd) {
  auto worker = StartWorker(1);
  const auto before = std::chrono::steady_clock::now();
  worker->Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - before, 2s);
  EXPECT_FALSE(worker->Abandoned());
  ASSERT_EQ(owner_.reports().size(), 1u);
  EXPECT_TRUE(owner_.reports()[0].cancelled);
  EXPECT_NE(ReadFile(dir_.File("eggnet.log")).find("CInternet: Breaking out\n"), std::string::npos);
}

TEST_F(InternetWorkerTest, FailedDownloadReportsItsCodeAndText) {
  dataserver::FaultPlan plan;
  plan.statuses = {404};
  server_->SetFaults(plan);
  auto worker = StartWorker(1);
  worker->GetInternetData(DayUrl(), dir_.File("data.txt.gz"), 0);
  ASSERT_TRUE(owner_.WaitForReports(1));
  WorkerThread::Dispose(std::move(worker));
  EXPECT_EQ(owner_.reports()[0].resultCode, 5);
  EXPECT_EQ(owner_.reports()[0].resultText, "Not found");
  EXPECT_FALSE(owner_.reports()[0].cancelled);
}

TEST_F(InternetWorkerTest, AStalledDownloadEndsOnStopOnAbortAndOnTheOwnersCancel) {
  dataserver::FaultPlan plan;
  plan.stallRequests = 3;
  plan.stallAfterBytes = 500;
  server_->SetFaults(plan);
  const std::string file = dir_.File("data.txt.gz");
  auto reading = [](CInternet& worker) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!worker.Reading() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(1ms);
    }
    std::this_thread::sleep_for(100ms);
    return worker.Reading();
  };

  auto stopped = StartWorker(1);
  stopped->GetInternetData(DayUrl(), file, 0);
  ASSERT_TRUE(reading(*stopped));
  stopped->Stop();
  EXPECT_FALSE(stopped->Abandoned());
  WorkerThread::Dispose(std::move(stopped));

  auto aborted = StartWorker(2);
  aborted->GetInternetData(DayUrl(), file, 1);
  ASSERT_TRUE(reading(*aborted));
  aborted->RequestAbort();
  ASSERT_TRUE(owner_.WaitForReports(2));
  WorkerThread::Dispose(std::move(aborted));

  auto cancelled = StartWorker(3);
  cancelled->GetInternetData(DayUrl(), file, 2);
  ASSERT_TRUE(reading(*cancelled));
  owner_.Cancel();
  ASSERT_TRUE(owner_.WaitForReports(3));
  WorkerThread::Dispose(std::move(cancelled));

  const std::vector<InternetReport> reports = owner_.reports();
  ASSERT_EQ(reports.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(reports[i].generation, i + 1);
    EXPECT_EQ(reports[i].segmentIndex, static_cast<int>(i));
    EXPECT_TRUE(reports[i].cancelled);
  }
  EXPECT_EQ(ReadFile(file).size(), 500u);
}

TEST_F(InternetWorkerTest, ADetachedOwnerHearsNothingAndItsWorkerStops) {
  dataserver::FaultPlan plan;
  plan.stallRequests = 1;
  server_->SetFaults(plan);
  auto worker = StartWorker(1);
  worker->GetInternetData(DayUrl(), dir_.File("data.txt.gz"), 0);
  while (!worker->Reading()) std::this_thread::sleep_for(1ms);
  link_->Detach();
  // The worker sees the detached link as a cancellation and ends by itself.
  EXPECT_TRUE(worker->DoneEvent().Wait(5s));
  WorkerThread::Dispose(std::move(worker));
  EXPECT_TRUE(owner_.reports().empty());
}

}  // namespace
}  // namespace corvane
