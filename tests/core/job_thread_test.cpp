#include "core/job_thread.h"

#include <atomic>
#include <chrono>

#include <gtest/gtest.h>

namespace corvane {
namespace {

using namespace std::chrono_literals;

TEST(JobThreadTest, TicksPeriodicallyUntilQuit) {
  JobThread thread(20ms);
  std::atomic<int> ticks{0};
  ASSERT_TRUE(thread.Start([&] { ++ticks; }));
  std::this_thread::sleep_for(150ms);
  thread.Quit();
  thread.Join();
  EXPECT_GE(ticks.load(), 3);
  EXPECT_FALSE(thread.Running());
}

TEST(JobThreadTest, PostedTickRunsWithoutWaitingForThePeriod) {
  JobThread thread(std::chrono::hours(1));
  std::atomic<int> ticks{0};
  ASSERT_TRUE(thread.Start([&] { ++ticks; }));
  thread.PostTick();
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (ticks.load() == 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(1ms);
  }
  EXPECT_EQ(ticks.load(), 1);
}

TEST(JobThreadTest, QuitFromTheTickEndsTheLoopAfterIt) {
  JobThread thread(5ms);
  std::atomic<int> ticks{0};
  ASSERT_TRUE(thread.Start([&] {
    ++ticks;
    thread.Quit();
  }));
  std::this_thread::sleep_for(100ms);
  thread.Join();
  EXPECT_EQ(ticks.load(), 1);
}

TEST(JobThreadTest, SecondStartIsRefused) {
  JobThread thread(1h);
  ASSERT_TRUE(thread.Start([] {}));
  EXPECT_FALSE(thread.Start([] {}));
}

}  // namespace
}  // namespace corvane
