#include "core/job_thread.h"

#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

namespace corvane {
namespace {

using namespace std::chrono_literals;

TEST(JobThreadTest, TicksPeriodicallyOrWhenPostedUntilQuitAndStartsOnce) {
  JobThread periodic(20ms);
  std::atomic<int> ticks{0};
  ASSERT_TRUE(periodic.Start([&] { ++ticks; }));
  EXPECT_FALSE(periodic.Start([] {}));
  std::this_thread::sleep_for(150ms);
  periodic.Quit();
  periodic.Join();
  EXPECT_GE(ticks.load(), 3);
  EXPECT_FALSE(periodic.Running());

  // A posted tick runs at once; Quit from within the tick ends the loop.
  JobThread posted(1h);
  ticks = 0;
  ASSERT_TRUE(posted.Start([&] {
    ++ticks;
    posted.Quit();
  }));
  posted.PostTick();
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (posted.Running() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(1ms);
  }
  EXPECT_FALSE(posted.Running());
  posted.Join();
  EXPECT_EQ(ticks.load(), 1);
}

}  // namespace
}  // namespace corvane
