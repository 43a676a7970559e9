// Reading one day of egg data (86,400 records x 60 eggs): plain text, and
// gzip-compressed (inflated, then read). Target: well under 0.3 s for the
// plain day. Reports the process's peak resident memory as a counter.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_support.h"
#include "core/run_context.h"
#include "input/egg_file_reader.h"

namespace {

using namespace corvane;

const bench::DayDataFiles& Files() {
  static const bench::DayDataFiles files;
  return files;
}

void ReadDay(benchmark::State& state, const std::string& path) {
  if (!Files().ok) state.SkipWithError("day files not written");
  for (auto _ : state) {
    RunContext context(nullptr, nullptr);
    context.settings.tempDirectory = Files().dir;
    SegmentFileList files = {path};
    EggSampleTable table;
    ReadFirstDataFile(context, files, 1, table);
    if (context.Aborted() || table.sampleCount != 86400) state.SkipWithError("day not read");
    benchmark::DoNotOptimize(table.columns[59].samples.data());
  }
  state.counters["peak_rss_MB"] = bench::PeakResidentMegabytes();
}

void BM_ReadPlainDay(benchmark::State& state) { ReadDay(state, Files().csv); }
void BM_InflateAndReadDay(benchmark::State& state) { ReadDay(state, Files().gz); }

BENCHMARK(BM_ReadPlainDay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InflateAndReadDay)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
