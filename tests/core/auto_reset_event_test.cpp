#include "core/auto_reset_event.h"

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

  // A Set from another thread wakes a waiter at once, not at its time-out.
  std::thread setter([&] {
    std::this_thread::sleep_for(20ms);
    event.Set();
  });
  const auto waited = std::chrono::steady_clock::now();
  EXPECT_TRUE(event.Wait(10s));
  EXPECT_LT(std::chrono::steady_clock::now() - waited, 5s);
  setter.join();
}

}  // namespace
}  // namespace corvane
