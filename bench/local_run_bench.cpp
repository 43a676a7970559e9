// A whole analysis job on one day of 60 eggs (86,400 samples) from a local
// .gz file: the setters, StartAnalysis (staging and inflating the file), the
// tick that reads, computes and writes the three plot files, and Cleanup.
// Targets: at most 1.0 s wall on two cores, at most 150 MB peak memory.
//
// BM_FirstDayRun is the first run of a fresh process (what a user's first
// "Analyze data" costs); BM_LaterDayRun repeats it. BM_DayRunOnJobThread runs
// the job on its own thread, as the form does, and waits for its end: the
// input is complete inside StartAnalysis, so the analysis starts at once
// rather than at the next one-second tick. BM_BatchOfShortRuns runs ten
// one-minute jobs from the plain day file one after another on their
// threads, as a batch does: none waits for a tick period.
// Each reports the process's peak resident memory (PeakMB).
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "bench_support.h"
#include "job/egg_statistics.h"

namespace {

using namespace corvane;

const bench::DayDataFiles& Files() {
  static const bench::DayDataFiles files;
  return files;
}

// Makes a job for the run from `start` to `stop` over one of the day's files,
// as the form does; a batch run, so that no plot window opens.
void StartRun(CEggStatistics& job, const std::string& file, const std::string& name,
              std::int64_t start, std::int64_t stop) {
  const bench::DayDataFiles& files = Files();
  job.SetTempDirectory(files.dir, false);
  job.SetLocalEggFile(file);
  job.SetRootDirectory(files.dir + "out");
  job.SetRemoteAccess(false, false);
  job.SetDft(false, 0);
  const std::string from = bench::DateTimeText(start);
  const std::string to = bench::DateTimeText(stop);
  job.SetStartTime(from);
  job.SetStopTime(to);
  job.StartAnalysis(true, name, from, to);
}

bool Ready(benchmark::State& state) {
  if (Files().ok && std::filesystem::create_directories(Files().dir + "out")) return true;
  if (Files().ok && std::filesystem::is_directory(Files().dir + "out")) return true;
  state.SkipWithError("cannot write the day's data files");
  return false;
}

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

// Also reports the two halves of the run: StartAnalysis (staging, with the
// inflation of the .gz file) and the tick (read, compute, write, Cleanup).
void RunDayByTicks(benchmark::State& state) {
  if (!Ready(state)) return;
  double stage = 0.0, tick = 0.0;
  for (auto _ : state) {
    bench::RunEndWaiter form;
    CEggStatistics job(&form, &form);
    const auto start = std::chrono::steady_clock::now();
    StartRun(job, Files().gz, "Day", bench::kBenchDay, bench::kBenchDay + 86399);
    stage += MillisecondsSince(start);
    const auto ticked = std::chrono::steady_clock::now();
    job.OnJobTimer();
    tick += MillisecondsSince(ticked);
    if (!job.Ended()) state.SkipWithError("the run did not end in one tick");
    if (const auto message = form.message()) state.SkipWithError(message->c_str());
  }
  const auto runs = static_cast<double>(state.iterations());
  state.counters["StageMs"] = stage / runs;
  state.counters["TickMs"] = tick / runs;
  state.counters["PeakMB"] = bench::PeakResidentMegabytes();
}

void BM_FirstDayRun(benchmark::State& state) { RunDayByTicks(state); }
BENCHMARK(BM_FirstDayRun)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LaterDayRun(benchmark::State& state) { RunDayByTicks(state); }
BENCHMARK(BM_LaterDayRun)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DayRunOnJobThread(benchmark::State& state) {
  if (!Ready(state)) return;
  for (auto _ : state) {
    bench::RunEndWaiter form;
    CEggStatistics job(&form, &form);
    job.StartThread();
    StartRun(job, Files().gz, "Day", bench::kBenchDay, bench::kBenchDay + 86399);
    if (!form.WaitForEnd()) state.SkipWithError("the run did not end");
    if (const auto message = form.message()) state.SkipWithError(message->c_str());
  }
  state.counters["PeakMB"] = bench::PeakResidentMegabytes();
}
BENCHMARK(BM_DayRunOnJobThread)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BatchOfShortRuns(benchmark::State& state) {
  if (!Ready(state)) return;
  for (auto _ : state) {
    for (int item = 0; item < 10; ++item) {
      bench::RunEndWaiter form;
      CEggStatistics job(&form, &form);
      job.StartThread();
      const std::int64_t start = bench::kBenchDay + 3600 * item;
      StartRun(job, Files().csv, "Item" + std::to_string(item), start, start + 59);
      if (!form.WaitForEnd()) state.SkipWithError("the run did not end");
      if (const auto message = form.message()) state.SkipWithError(message->c_str());
    }
  }
  state.counters["PeakMB"] = bench::PeakResidentMegabytes();
}
BENCHMARK(BM_BatchOfShortRuns)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
