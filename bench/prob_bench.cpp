// Chi-square quantiles and probabilities, the cost of the cumulative
// chi-square columns of the result files: a day of output asks for the median
// and the 0.05 point of 1 to 86,400 degrees of freedom, about 170,000
// quantiles, with no caching inside the operations.
#include <benchmark/benchmark.h>

#include "prob/chi_square_distribution.h"

namespace corvane {
namespace {

void BM_MedianQuantile(benchmark::State& state) {
  const double k = static_cast<double>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(chiSquareDistribution::x_from_p_k(0.5, k));
}
BENCHMARK(BM_MedianQuantile)->Arg(10)->Arg(1000)->Arg(86400)->Arg(1000000);

void BM_FivePercentQuantile(benchmark::State& state) {
  const double k = static_cast<double>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(chiSquareDistribution::x_from_p_k(0.05, k));
}
BENCHMARK(BM_FivePercentQuantile)->Arg(10)->Arg(1000)->Arg(86400)->Arg(1000000);

// Lower tail just above the median, where a cumulative sum usually lies.
void BM_LowerTail(benchmark::State& state) {
  const double k = static_cast<double>(state.range(0));
  const double x = k * 1.002;
  for (auto _ : state) benchmark::DoNotOptimize(chiSquareDistribution::p_from_k_x(k, x));
}
BENCHMARK(BM_LowerTail)->Arg(10)->Arg(1000)->Arg(86400)->Arg(1000000);

// Both quantiles for every second of a day.
void BM_DayOfQuantiles(benchmark::State& state) {
  for (auto _ : state) {
    double sum = 0.0;
    for (int n = 1; n <= 86400; ++n) {
      sum += chiSquareDistribution::x_from_p_k(0.5, n);
      sum += chiSquareDistribution::x_from_p_k(0.05, n);
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_DayOfQuantiles)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
