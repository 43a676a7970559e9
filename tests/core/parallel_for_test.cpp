#include "core/parallel_for.h"

#include <atomic>
#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

namespace corvane {
namespace {

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

}  // namespace
}  // namespace corvane
