// The stall rules of a download in progress: nothing for more than 30
// seconds, or fewer than 60 KiB in a window of 60 seconds.
#include "net/transfer_watch.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

constexpr std::int64_t kStart = 1000;
constexpr std::int64_t kFloor = TransferWatch::kFloorBytes;

TEST(TransferWatchTest, ThirtySecondsWithoutDataAreNotYetAStallMoreAre) {
  TransferWatch watch;
  watch.Start(kStart);
  EXPECT_FALSE(watch.Check(kStart + 30, kStart, 0));
  EXPECT_EQ(watch.Check(kStart + 31, kStart, 0).value_or(""),
            "No data received for more than 30 seconds");
  EXPECT_FALSE(watch.Check(kStart + 45, kStart + 20, kFloor));
}

TEST(TransferWatchTest, EachFullWindowMustBringTheFloorOfBytes) {
  TransferWatch slow;
  slow.Start(kStart);
  // Data every 20 seconds never meet the first rule.
  EXPECT_FALSE(slow.Check(kStart + 59, kStart + 59, 10));
  EXPECT_EQ(slow.Check(kStart + 60, kStart + 60, kFloor - 1).value_or(""),
            "Fewer than 61440 bytes received in 60 seconds");

  TransferWatch steady;
  steady.Start(kStart);
  EXPECT_FALSE(steady.Check(kStart + 60, kStart + 60, kFloor));
  // The next window counts from there: its bytes alone must reach the floor.
  EXPECT_FALSE(steady.Check(kStart + 119, kStart + 119, kFloor + 10));
  EXPECT_TRUE(steady.Check(kStart + 120, kStart + 120, 2 * kFloor - 1));
  TransferWatch again;
  again.Start(kStart);
  EXPECT_FALSE(again.Check(kStart + 61, kStart + 61, kFloor));
  EXPECT_FALSE(again.Check(kStart + 121, kStart + 121, 2 * kFloor));
}

}  // namespace
}  // namespace corvane
