// A one-day run of 60 eggs (86,400 samples) from a local .gz file through the
// written plot files: read (inflate), compute the statistics, write results.
// Target: at most 1.0 s wall on two cores and at most 150 MB peak memory.
//
// BM_FirstRun runs once in a fresh process, so the chi-square quantiles are
// evaluated (the figure to hold to the target); BM_LaterRun repeats the run
// with the quantiles remembered. BM_WriteResults times "Write results" alone.
// Each reports the process's peak resident memory.
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "core/run_context.h"
#include "input/egg_file_reader.h"
#include "output/write_results.h"
#include "stats/composite_statistics.h"

namespace {

using namespace corvane;

const bench::DayDataFiles& File() {
  static const bench::DayDataFiles files;
  return files;
}

void Configure(RunContext& context) {
  context.settings.tempDirectory = File().dir;
  context.settings.rootDirectory = File().dir;
  context.settings.dataName = "Day";
  context.settings.outputDirectory = File().dir + "Day/";
  context.settings.batchMode = true;
  context.settings.dft = false;
}

// Reads the day and computes its statistics, as a run does before writing.
void ReadAndCompute(RunContext& context, EggSampleTable& table, CompositeSeries& series) {
  Configure(context);
  SegmentFileList files = {File().gz};
  ReadFirstDataFile(context, files, 1, table);
  ComputeStatistics(context, table, series);
}

void WholeRun(benchmark::State& state) {
  if (!File().ok) state.SkipWithError("day file not written");
  for (auto _ : state) {
    RunContext context(nullptr, nullptr);
    EggSampleTable table;
    CompositeSeries series;
    ReadAndCompute(context, table, series);
    WriteResults(context, table, series, ResultSteps());
    if (context.Aborted() || table.sampleCount != 86400) state.SkipWithError("run failed");
  }
  state.counters["peak_rss_MB"] = bench::PeakResidentMegabytes();
}

void BM_FirstRun(benchmark::State& state) { WholeRun(state); }
void BM_LaterRun(benchmark::State& state) { WholeRun(state); }

void BM_WriteResults(benchmark::State& state) {
  RunContext context(nullptr, nullptr);
  EggSampleTable table;
  CompositeSeries series;
  ReadAndCompute(context, table, series);
  for (auto _ : state) WriteResults(context, table, series, ResultSteps());
  if (context.Aborted()) state.SkipWithError("run failed");
  state.counters["peak_rss_MB"] = bench::PeakResidentMegabytes();
}

BENCHMARK(BM_FirstRun)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LaterRun)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriteResults)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
