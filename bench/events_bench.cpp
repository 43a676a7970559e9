// A whole analysis job on one day of 60 eggs (86,400 samples) from a local
// .gz file, with the optional analyses on: the DFT spectra of size 32768, an
// event echo search on a 4-hour event at 06:00 and the interval comparison,
// as a batch run (no plot window). Targets: at most 3 s wall with the
// correlation search, at most 5 s with the Euclidean distance.
//
// BM_DayRunWithAnalyses/1 and /2 time the job from its setters to its end
// (correlation, Euclidean distance); BM_AnalysesAlone/1 and /2 time just the
// echo search, the six spectra and the comparison on a computed series.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bench_support.h"
#include "job/egg_statistics.h"
#include "output/summary_tables.h"
#include "stats/composite_statistics.h"
#include "stats/dft_files.h"
#include "stats/event_echo.h"

namespace {

using namespace corvane;

const bench::DayDataFiles& Files() {
  static const bench::DayDataFiles files;
  return files;
}

void BM_DayRunWithAnalyses(benchmark::State& state) {
  const bench::DayDataFiles& files = Files();
  if (!files.ok) return state.SkipWithError("cannot write the day's data files");
  std::filesystem::create_directories(files.dir + "out");
  for (auto _ : state) {
    bench::RunEndWaiter form;
    CEggStatistics job(&form, &form);
    job.SetTempDirectory(files.dir, false);
    job.SetLocalEggFile(files.gz);
    job.SetRootDirectory(files.dir + "out");
    job.SetRemoteAccess(false, false);
    job.SetDft(true, 32768);
    job.SetCompareIntervals(true);
    job.SetIntervals(0, 43200, 3600);
    job.SetEchoMethod(static_cast<int>(state.range(0)));
    job.SetEventTime(bench::DateTimeText(bench::kBenchDay + 6 * 3600), 4 * 3600, 5);
    job.SetStartTime(bench::DateTimeText(bench::kBenchDay));
    job.SetStopTime(bench::DateTimeText(bench::kBenchDay + 86399));
    job.StartAnalysis(true, "Day", bench::DateTimeText(bench::kBenchDay),
                      bench::DateTimeText(bench::kBenchDay + 86399));
    job.OnJobTimer();
    if (!job.Ended()) state.SkipWithError("the run did not end in one tick");
    if (const auto message = form.message()) state.SkipWithError(message->c_str());
  }
  const std::string summary = files.dir + "out/summary.tst";
  if (!std::filesystem::exists(summary)) state.SkipWithError("no summary line was written");
  state.counters["PeakMB"] = bench::PeakResidentMegabytes();
}
BENCHMARK(BM_DayRunWithAnalyses)
    ->Arg(kEchoCorrelation)
    ->Arg(kEchoEuclidean)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The day's samples in a table, as the reader leaves them.
EggSampleTable DayTable() {
  eggdata::EggDataOptions options;
  options.start = bench::kBenchDay;
  options.stop = bench::kBenchDay + 86399;
  options.eggCount = 60;
  const std::vector<int> ids = eggdata::FileEggIds(options);
  EggSampleTable table;
  table.eggCount = static_cast<int>(ids.size());
  table.sampleCount = 86400;
  table.recordTrialSize = table.trialSize = 200;
  table.totalRecords = 86400;
  for (std::size_t k = 0; k < ids.size(); ++k) {
    EggColumn& column = table.columns[k];
    column.eggId = ids[k];
    column.selected = 1;
    column.storedCount = 86400;
    column.samples.resize(86400);
    for (std::int64_t i = 0; i < 86400; ++i) {
      column.samples[static_cast<std::size_t>(i)] =
          eggdata::EggTrialValue(options, ids[k], bench::kBenchDay + i).value_or(kMissingSample);
    }
  }
  return table;
}

void BM_AnalysesAlone(benchmark::State& state) {
  const bench::DayDataFiles& files = Files();
  if (!files.ok) return state.SkipWithError("cannot write the day's data files");
  const EggSampleTable table = DayTable();
  RunContext context(nullptr, nullptr);
  AnalysisSettings& s = context.settings;
  s.dataName = "Alone";
  s.rootDirectory = files.dir;
  s.outputDirectory = files.dir;
  s.startTime = bench::kBenchDay;
  s.eventDuration = 4 * 3600;
  s.eventEchoVariable = 5;
  s.echoMethod = static_cast<int>(state.range(0));
  s.dft = true;
  s.dftSize = 32768;
  s.compareIntervals = true;
  s.interval2Start = 43200;
  s.intervalDuration = 3600;
  CompositeSeries series;
  ComputeStatistics(context, table, series);
  for (auto _ : state) {
    s.eventTime = bench::kBenchDay + 6 * 3600;
    RunEventEcho(context, table, series);
    RunDftSpectra(context, table, series);
    CompareIntervals(context, table, series);
  }
  if (context.Aborted()) state.SkipWithError("the analyses stopped the run");
}
BENCHMARK(BM_AnalysesAlone)
    ->Arg(kEchoCorrelation)
    ->Arg(kEchoEuclidean)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
