// Reading one day of egg data (86,400 records x 60 eggs): plain text, and
// gzip-compressed (inflated, then read). Target: well under 0.3 s for the
// plain day. Reports the process's peak resident memory as a counter.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/paths.h"
#include "core/run_context.h"
#include "eggdata/egg_data_generator.h"
#include "input/egg_file_reader.h"

namespace {

using namespace corvane;

constexpr std::int64_t kDay = 1304380800;  // 2011-05-03

struct DayFiles {
  std::string dir;
  std::string csv;
  std::string gz;
  DayFiles() {
    std::string pattern = SystemTempDirectory() + "corvane-bench-XXXXXX";
    dir = WithSeparator(mkdtemp(pattern.data()));
    eggdata::EggDataOptions options;
    options.start = kDay;
    options.stop = kDay + 86399;
    options.eggCount = 60;
    options.missingFraction = 0.01;
    csv = dir + "day.csv";
    gz = dir + "day.gz";
    eggdata::WriteEggDataFile(csv, options, false);
    eggdata::WriteEggDataFile(gz, options, true);
  }
  ~DayFiles() {
    std::error_code error;
    std::filesystem::remove_all(dir, error);
  }
};

const DayFiles& Files() {
  static const DayFiles files;
  return files;
}

double PeakResidentMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void ReadDay(benchmark::State& state, const std::string& path) {
  for (auto _ : state) {
    RunContext context(nullptr, nullptr);
    context.settings.tempDirectory = Files().dir;
    SegmentFileList files = {path};
    EggSampleTable table;
    ReadFirstDataFile(context, files, 1, table);
    if (context.Aborted() || table.sampleCount != 86400) state.SkipWithError("day not read");
    benchmark::DoNotOptimize(table.columns[59].samples.data());
  }
  state.counters["peak_rss_MB"] = PeakResidentMegabytes();
}

void BM_ReadPlainDay(benchmark::State& state) { ReadDay(state, Files().csv); }
void BM_InflateAndReadDay(benchmark::State& state) { ReadDay(state, Files().gz); }

BENCHMARK(BM_ReadPlainDay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InflateAndReadDay)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
