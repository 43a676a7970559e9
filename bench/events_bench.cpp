// The optional analyses of a one-day, 60-egg run: "Compute statistics", then
// the event echo search on a 4-hour event (correlation, or Euclidean
// distance), the six DFT spectra of size 32768 and the interval comparison,
// writing their files to a temporary directory. Targets for the whole run:
// at most 3 s with the correlation search, 5 s with the Euclidean one.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/paths.h"
#include "eggdata/egg_data_generator.h"
#include "output/summary_tables.h"
#include "stats/composite_statistics.h"
#include "stats/dft_spectrum.h"
#include "stats/event_echo.h"

namespace corvane {
namespace {

constexpr std::int64_t kStart = 1300060800;  // 2011-03-14 00:00:00
constexpr int kSamples = 86400;

EggSampleTable OneDayOfSixtyEggs() {
  eggdata::EggDataOptions options;
  options.start = kStart;
  options.stop = kStart + kSamples - 1;
  options.eggCount = 60;
  const std::vector<int> ids = eggdata::FileEggIds(options);
  EggSampleTable table;
  table.eggCount = static_cast<int>(ids.size());
  table.sampleCount = kSamples;
  table.recordTrialSize = table.trialSize = 200;
  table.totalRecords = kSamples;
  table.firstSampleTime = DateTime(kStart);
  for (std::size_t k = 0; k < ids.size(); ++k) {
    EggColumn& column = table.columns[k];
    column.eggId = ids[k];
    column.columnIndex = static_cast<std::int32_t>(k);
    column.selected = 1;
    column.storedCount = kSamples;
    column.samples.resize(kSamples);
    for (int i = 0; i < kSamples; ++i) {
      column.samples[static_cast<std::size_t>(i)] =
          eggdata::EggTrialValue(options, ids[k], kStart + i).value_or(kMissingSample);
    }
  }
  return table;
}

void RunOptionalAnalyses(benchmark::State& state, int method) {
  const EggSampleTable table = OneDayOfSixtyEggs();
  std::string directory = SystemTempDirectory() + "corvane-events-bench-XXXXXX";
  if (mkdtemp(directory.data()) == nullptr) {
    state.SkipWithError("no temporary directory");
    return;
  }
  for (auto _ : state) {
    RunContext context(nullptr, nullptr);
    AnalysisSettings& s = context.settings;
    s.dataName = "day";
    s.rootDirectory = WithSeparator(directory);
    s.outputDirectory = s.rootDirectory;
    s.startTime = kStart;
    s.eventTime = kStart + 6 * 3600;
    s.eventDuration = 4 * 3600;
    s.eventEchoVariable = 5;
    s.echoMethod = method;
    s.dft = true;
    s.dftSize = 32768;
    s.compareIntervals = true;
    s.interval1Start = 0;
    s.interval2Start = 43200;
    s.intervalDuration = 3600;
    CompositeSeries series;
    ComputeStatistics(context, table, series);
    RunEventEcho(context, table, series);
    RunDftSpectra(context, table, series);
    CompareIntervals(context, table, series);
    if (context.Aborted()) state.SkipWithError("the run stopped");
  }
  std::filesystem::remove_all(directory);
}

void BM_OneDayCorrelationEcho(benchmark::State& state) {
  RunOptionalAnalyses(state, kEchoCorrelation);
}
void BM_OneDayEuclideanEcho(benchmark::State& state) { RunOptionalAnalyses(state, kEchoEuclidean); }
BENCHMARK(BM_OneDayCorrelationEcho)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_OneDayEuclideanEcho)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
