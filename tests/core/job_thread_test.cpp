#include "core/job_thread.h"

#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

namespace corvane {
namespace {

using namespace std::chrono_literals;

TEST(JobThreadTest, TicksPeriodicallyUntilQuitAndStartsOnce) {
  JobThread thread(20ms);
  std::atomic<int> ticks{0};
  ASSERT_TRUE(thread.Start([&] { ++ticks; }));
  EXPECT_FALSE(thread.Start([] {}));
  std::this_thread::sleep_for(150ms);
  thread.Quit();
  thread.Join();
  EXPECT_GE(ticks.load(), 3);
  EXPECT_FALSE(thread.Running());
}

TEST(JobThreadTest, PostedTickRunsAtOnceAndQuitFromTheTickEndsTheLoop) {
  JobThread thread(1h);
  std::atomic<int> ticks{0};
  ASSERT_TRUE(thread.Start([&] {
    ++ticks;
    thread.Quit();
  }));
  thread.PostTick();
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (thread.Running() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(1ms);
  }
  EXPECT_FALSE(thread.Running());
  thread.Join();
  EXPECT_EQ(ticks.load(), 1);
}

}  // namespace
}  // namespace corvane
