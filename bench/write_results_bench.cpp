// A one-day run of 60 eggs (86,400 samples) from a local .gz file through the
// written plot files: read (inflate), compute the statistics, write results.
// Target: at most 1.0 s wall on two cores and at most 150 MB peak memory.
//
// BM_FirstRun runs once in a fresh process, so the chi-square quantiles are
// evaluated (the figure to hold to the target); BM_LaterRun repeats the run
// with the quantiles remembered. BM_WriteResults times "Write results" alone.
// Each reports the process's peak resident memory.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/paths.h"
#include "core/run_context.h"
#include "eggdata/egg_data_generator.h"
#include "input/egg_file_reader.h"
#include "output/write_results.h"
#include "stats/composite_statistics.h"

namespace {

using namespace corvane;

constexpr std::int64_t kDay = 1304380800;  // 2011-05-03

struct DayFile {
  std::string dir;
  std::string gz;
  DayFile() {
    std::string pattern = SystemTempDirectory() + "corvane-bench-XXXXXX";
    dir = WithSeparator(mkdtemp(pattern.data()));
    eggdata::EggDataOptions options;
    options.start = kDay;
    options.stop = kDay + 86399;
    options.eggCount = 60;
    options.missingFraction = 0.01;
    gz = dir + "day.gz";
    eggdata::WriteEggDataFile(gz, options, true);
  }
  ~DayFile() {
    std::error_code error;
    std::filesystem::remove_all(dir, error);
  }
};

const DayFile& File() {
  static const DayFile file;
  return file;
}

double PeakResidentMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
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
  File();
  for (auto _ : state) {
    RunContext context(nullptr, nullptr);
    EggSampleTable table;
    CompositeSeries series;
    ReadAndCompute(context, table, series);
    WriteResults(context, table, series, ResultSteps());
    if (context.Aborted() || table.sampleCount != 86400) state.SkipWithError("run failed");
  }
  state.counters["peak_rss_MB"] = PeakResidentMegabytes();
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
  state.counters["peak_rss_MB"] = PeakResidentMegabytes();
}

BENCHMARK(BM_FirstRun)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LaterRun)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriteResults)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
