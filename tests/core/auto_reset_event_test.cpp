#include "core/auto_reset_event.h"

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

namespace corvane {
namespace {

using namespace std::chrono_literals;

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

}  // namespace
}  // namespace corvane
