#include "core/auto_reset_event.h"

#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

namespace corvane {
namespace {

using namespace std::chrono_literals;

TEST(AutoResetEventTest, OneSetReleasesOneWaitAndResets) {
  AutoResetEvent event;
  const auto before = std::chrono::steady_clock::now();
  EXPECT_FALSE(event.Wait(60ms));
  EXPECT_GE(std::chrono::steady_clock::now() - before, 60ms);
  event.Set();
  event.Set();  // a second Set on a signalled event is not counted
  EXPECT_TRUE(event.Wait(0ms));
  EXPECT_FALSE(event.Wait(0ms));
  event.Set();
  event.Reset();
  EXPECT_FALSE(event.Wait(0ms));

  // Set from another thread wakes exactly one of two waiters.
  std::atomic<int> woken{0};
  auto waiter = [&] {
    if (event.Wait(300ms)) ++woken;
  };
  std::thread a(waiter);
  std::thread b(waiter);
  std::this_thread::sleep_for(50ms);
  event.Set();
  a.join();
  b.join();
  EXPECT_EQ(woken.load(), 1);
}

}  // namespace
}  // namespace corvane
