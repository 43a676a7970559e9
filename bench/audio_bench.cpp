// The five sound files of a one-day run (86,400 samples) at the default audio
// settings, written to a temporary directory. Target: at most 0.3 s.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "audio/sonification.h"
#include "core/paths.h"

namespace corvane {
namespace {

// Series shaped like a real run's: exponentially smoothed noise (coefficient
// 0.001), so that blocks of 500 seconds carry trends of every steepness.
CompositeSeries OneDay() {
  constexpr std::size_t kCount = 86400;
  constexpr double a = 0.001;
  std::mt19937 random(2024);
  std::normal_distribution<double> normal(0.0, 1.0);
  CompositeSeries series;
  series.eggCount.assign(kCount, 60);
  series.lpvar.resize(kCount);
  series.lpdev.resize(kCount);
  series.alpdev.resize(kCount);
  series.lpmax.resize(kCount);
  series.cvar.resize(kCount);
  double var = 50.0, dev = 0.0, max = 2.3, cumulative = 0.0;
  for (std::size_t i = 0; i < kCount; ++i) {
    const double eggvar = 50.0 + 9.0 * normal(random);
    var = a * eggvar + (1 - a) * var;
    dev = a * 0.13 * normal(random) + (1 - a) * dev;
    max = a * (2.3 + 0.6 * normal(random)) + (1 - a) * max;
    cumulative += eggvar - 50.0;
    series.lpvar[i] = var;
    series.lpdev[i] = dev;
    series.alpdev[i] = std::fabs(dev);
    series.lpmax[i] = max;
    series.cvar[i] = cumulative;
  }
  return series;
}

void BM_OneDayFiveFiles(benchmark::State& state) {
  const CompositeSeries series = OneDay();
  std::string directory = SystemTempDirectory() + "corvane-audio-bench-XXXXXX";
  if (mkdtemp(directory.data()) == nullptr) {
    state.SkipWithError("no temporary directory");
    return;
  }
  RunContext context(nullptr, nullptr);
  context.settings.dataName = "day";
  context.settings.outputDirectory = WithSeparator(directory);
  context.settings.audio = true;
  for (auto _ : state) CreateAudioFiles(context, series, 1);
  std::uintmax_t bytes = 0;
  for (const auto& entry : std::filesystem::directory_iterator(directory))
    bytes += entry.file_size();
  state.counters["file_bytes"] = static_cast<double>(bytes);
  std::filesystem::remove_all(directory);
}
BENCHMARK(BM_OneDayFiveFiles)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
