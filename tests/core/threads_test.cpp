// The core's threads: the auto-reset event, the job's timer thread, the
// parallel loop and the worker thread base.
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/auto_reset_event.h"
#include "core/job_thread.h"
#include "core/parallel_for.h"
#include "core/worker_thread.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Waits for a condition with a deadline generous enough for a loaded
// machine; true when it holds.
bool WaitFor(const std::function<bool()>& condition) {
  const auto deadline = Clock::now() + 60s;
  while (!condition()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

TEST(AutoResetEventTest, OneSetReleasesOneWaitAndResets) {
  AutoResetEvent event;
  EXPECT_FALSE(event.Wait(20ms));
  event.Set();
  event.Set();  // a second Set on a signalled event is not counted
  EXPECT_TRUE(event.Wait(0ms));
  EXPECT_FALSE(event.Wait(0ms));
  event.Set();
  event.Reset();
  EXPECT_FALSE(event.Wait(0ms));
  // A Set from another thread wakes a waiter long before its time-out.
  const auto before = std::chrono::steady_clock::now();
  std::thread setter([&] { event.Set(); });
  EXPECT_TRUE(event.Wait(10s));
  EXPECT_LT(std::chrono::steady_clock::now() - before, 5s);
  setter.join();
}

TEST(JobThreadTest, TicksPeriodicallyOrWhenPostedUntilQuitAndStartsOnce) {
  JobThread periodic(20ms);
  std::atomic<int> ticks{0};
  ASSERT_TRUE(periodic.Start([&] { ++ticks; }));
  EXPECT_FALSE(periodic.Start([] {}));
  EXPECT_TRUE(WaitFor([&] { return ticks.load() >= 3; }));
  periodic.Quit();
  periodic.Join();
  EXPECT_FALSE(periodic.Running());

  // A posted tick runs at once; Quit from within the tick ends the loop.
  JobThread posted(1h);
  ticks = 0;
  ASSERT_TRUE(posted.Start([&] {
    ++ticks;
    posted.Quit();
  }));
  posted.PostTick();
  EXPECT_TRUE(WaitFor([&] { return !posted.Running(); }));
  posted.Join();
  EXPECT_EQ(ticks.load(), 1);
}

TEST(ParallelForTest, VisitsEveryIndexOnceAndRethrowsAFailureOnTheCaller) {
  std::vector<std::atomic<int>> visits(10007);
  ParallelFor(10007, 64, [&](std::int64_t begin, std::int64_t end) {
    for (std::int64_t i = begin; i < end; ++i) visits[static_cast<size_t>(i)]++;
  });
  for (const auto& count : visits) ASSERT_EQ(count.load(), 1);
  ParallelFor(0, 64, [](std::int64_t, std::int64_t) { FAIL() << "no work"; });
  EXPECT_THROW(ParallelFor(100000, 10,
                           [](std::int64_t begin, std::int64_t) {
                             if (begin == 500) throw std::out_of_range("bad chunk");
                           }),
               std::out_of_range);
}

// A body that announces itself ready, then makes one round per step the
// test gives, each passing a suspension point, until the stop event ends it
// (a step given after Suspend meets the pause); a throwing one fails at its
// first step.
class SteppedWorker : public WorkerThread {
 public:
  explicit SteppedWorker(bool throws = false) : throws_(throws) {}
  ~SteppedWorker() override { EndThread(); }
  void Run() override {
    ++runs;
    ReadyEvent().Set();
    while (!StopEvent().Wait(1ms)) {
      if (!step.Wait(0ms)) continue;
      if (throws_) throw std::runtime_error("body failed");
      ++arrivals;
      SuspensionPoint();
      ++rounds;
    }
  }
  AutoResetEvent step;
  std::atomic<int> runs{0};
  std::atomic<int> arrivals{0};  // rounds that reached the suspension point
  std::atomic<int> rounds{0};    // rounds that passed it

 private:
  const bool throws_;
};

// A body that ignores the stop event until the test releases it.
class DeafWorker : public WorkerThread {
 public:
  DeafWorker(std::shared_ptr<std::atomic<bool>> release, std::shared_ptr<std::atomic<bool>> deleted)
      : release_(std::move(release)), deleted_(std::move(deleted)) {}
  ~DeafWorker() override {
    EndThread();
    *deleted_ = true;
  }
  void Run() override {
    ReadyEvent().Set();
    while (!*release_) std::this_thread::sleep_for(1ms);
  }

 private:
  std::shared_ptr<std::atomic<bool>> release_;
  std::shared_ptr<std::atomic<bool>> deleted_;
};

TEST(WorkerThreadTest, UnansweredStopAbandonsTheBodyWhichDeletesItsWorkerLater) {
  auto release = std::make_shared<std::atomic<bool>>(false);
  auto deleted = std::make_shared<std::atomic<bool>>(false);
  auto worker = std::make_unique<DeafWorker>(release, deleted);
  worker->SetStopTimeout(50ms);
  ASSERT_NE(worker->Start(0, ThreadPriority::kNormal, ""), 0);
  ASSERT_TRUE(worker->ReadyEvent().Wait(60s));
  worker->Stop();
  EXPECT_TRUE(worker->Abandoned());
  EXPECT_EQ(worker->ExitCode(), 1);
  EXPECT_TRUE(worker->Running());
  // An abandoned worker whose body still runs cannot be started again.
  EXPECT_EQ(worker->Start(0, ThreadPriority::kNormal, ""), 0);
  WorkerThread::Dispose(std::move(worker));
  EXPECT_FALSE(deleted->load());  // its body still runs: the thread owns it now
  *release = true;
  EXPECT_TRUE(WaitFor([&] { return deleted->load(); }));

  // A worker that answers is deleted by Dispose at once.
  *deleted = false;
  worker = std::make_unique<DeafWorker>(release, deleted);
  ASSERT_NE(worker->Start(0, ThreadPriority::kNormal, ""), 0);
  WorkerThread::Dispose(std::move(worker));
  EXPECT_TRUE(deleted->load());
}

// A stop is answered within the stop time-out, here a generous minute: a
// body that did not hear it would be abandoned.
TEST(WorkerThreadTest, SuspendPausesTheBodyStopEndsItAndStartBeginsAgain) {
  // Started suspended, the body runs only after Resume.
  SteppedWorker worker;
  worker.SetStopTimeout(60s);
  ASSERT_NE(worker.Start(WorkerThread::kStartSuspended, ThreadPriority::kNormal, ""), 0);
  EXPECT_FALSE(worker.ReadyEvent().Wait(50ms));
  worker.Resume();
  worker.step.Set();
  ASSERT_TRUE(WaitFor([&] { return worker.rounds.load() == 1; }));
  EXPECT_TRUE(worker.Running());
  // A second Start while the body runs changes nothing.
  EXPECT_NE(worker.Start(0, ThreadPriority::kNormal, "other"), 0);
  worker.Suspend();
  worker.Suspend();  // counts once: one Resume goes on
  EXPECT_EQ(worker.SuspendCount(), 1);
  worker.step.Set();
  ASSERT_TRUE(WaitFor([&] { return worker.arrivals.load() == 2; }));
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(worker.rounds.load(), 1) << "the round went on while suspended";
  worker.Resume();
  ASSERT_TRUE(WaitFor([&] { return worker.rounds.load() == 2; }));
  worker.step.Set();
  EXPECT_TRUE(WaitFor([&] { return worker.rounds.load() == 3; }));
  // Stop releases a body held at its suspension point.
  worker.Suspend();
  worker.step.Set();
  ASSERT_TRUE(WaitFor([&] { return worker.arrivals.load() == 4; }));
  worker.Stop();
  EXPECT_FALSE(worker.Abandoned());
  EXPECT_FALSE(worker.Running());
  EXPECT_EQ(worker.runs.load(), 1);

  // Start resets the events and the stop request: a ready or a stop left
  // over from the first run neither announces nor ends the second.
  worker.StopEvent().Set();
  ASSERT_NE(worker.Start(WorkerThread::kStartSuspended, ThreadPriority::kBelowNormal, "m_internet"),
            0);
  EXPECT_FALSE(worker.ReadyEvent().Wait(50ms));
  worker.Resume();
  ASSERT_TRUE(worker.ReadyEvent().Wait(60s));
  worker.step.Set();
  EXPECT_TRUE(WaitFor([&] { return worker.rounds.load() == 5; }));
  worker.Stop();
  EXPECT_EQ(worker.runs.load(), 2);

  // Stop releases a body that was never resumed.
  SteppedWorker held;
  held.SetStopTimeout(60s);
  ASSERT_NE(held.Start(WorkerThread::kStartSuspended, ThreadPriority::kNormal, ""), 0);
  held.Stop();
  EXPECT_FALSE(held.Abandoned());
  EXPECT_FALSE(held.Running());
}

// An exception in the body ends its thread quietly, as a return does.
TEST(WorkerThreadTest, ExceptionInTheBodyEndsTheThreadQuietlyAndSignalsDone) {
  SteppedWorker worker(true);
  ASSERT_NE(worker.Start(0, ThreadPriority::kNormal, ""), 0);
  worker.step.Set();
  EXPECT_TRUE(worker.DoneEvent().Wait(60s));
  worker.Stop();
  EXPECT_FALSE(worker.Abandoned());
  EXPECT_EQ(worker.ExitCode(), 0);
}

}  // namespace
}  // namespace corvane
