#include "output/chi_square_quantiles.h"

#include <mutex>

#include "core/parallel_for.h"
#include "prob/chi_square_distribution.h"

namespace corvane {
namespace {

// The process-wide store of the quantiles computed so far: pure results of
// their degrees of freedom. One mutex guards it and serialises extending it.
std::mutex& StoreMutex() {
  static std::mutex mutex;
  return mutex;
}

ChiSquareQuantiles& Store() {
  static ChiSquareQuantiles store;
  return store;
}

}  // namespace

ChiSquareQuantiles ChiSquareQuantilesUpTo(int maxDegrees) {
  ChiSquareQuantiles result;
  if (maxDegrees < 1) return result;
  const auto wanted = static_cast<size_t>(maxDegrees);
  std::lock_guard<std::mutex> lock(StoreMutex());
  ChiSquareQuantiles& store = Store();
  const size_t known = store.median.size();
  if (known < wanted) {
    std::vector<double> median(wanted - known), lowerFive(wanted - known);
    ParallelFor(static_cast<std::int64_t>(wanted - known), 512,
                [&](std::int64_t begin, std::int64_t end) {
                  for (std::int64_t i = begin; i < end; ++i) {
                    const double k = static_cast<double>(known) + static_cast<double>(i) + 1.0;
                    median[static_cast<size_t>(i)] = chiSquareDistribution::x_from_p_k(0.5, k);
                    lowerFive[static_cast<size_t>(i)] = chiSquareDistribution::x_from_p_k(0.05, k);
                  }
                });
    store.median.insert(store.median.end(), median.begin(), median.end());
    store.lowerFive.insert(store.lowerFive.end(), lowerFive.begin(), lowerFive.end());
  }
  result.median.assign(store.median.begin(), store.median.begin() + maxDegrees);
  result.lowerFive.assign(store.lowerFive.begin(), store.lowerFive.begin() + maxDegrees);
  return result;
}

}  // namespace corvane
