#include "core/job_thread.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

namespace corvane {
namespace {

using namespace std::chrono_literals;

// Waits for a condition with a deadline generous enough for a loaded
// machine; true when it holds.
bool WaitFor(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
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

}  // namespace
}  // namespace corvane
