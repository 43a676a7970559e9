// A one-day run of 60 eggs, the whole job on its own thread from
// StartAnalysis to the end-of-run notification: from a local .gz file, and
// from the stand-in data server on loopback (the same data). Target: the
// remote run takes at most 0.5 s more wall time than the local one.
//
// BM_SevenDaysRemoteVsLocal runs the same seven days of 60 eggs from seven
// local .gz files and from the server, alternately in each iteration, and
// reports both times and their ratio (target: remote / local at most 1.15).
//
// The server's answer for the day is made before the timing starts (as the
// local file is written before it), so that the comparison measures the
// download path: worker start, request, transfer, post-processing. The
// "cold" benchmark lets the server make its answer inside the timing.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench_support.h"
#include "core/date_time.h"
#include "core/paths.h"
#include "dataserver/data_server.h"
#include "eggdata/egg_data_generator.h"
#include "job/egg_statistics.h"
#include "net/http_get_file.h"

namespace {

using namespace corvane;

constexpr int kEggs = 60;
constexpr std::uint64_t kSeed = 5;
constexpr const char* kWeekStart = "2011-05-10 00:00:00";
constexpr const char* kWeekStop = "2011-05-16 23:59:59";

struct Setup {
  std::string dir;
  std::string local_gz;
  std::string week_gz;  // the first of seven day files: week.gz, week_2.gz, ...
  dataserver::DataServer server{Options()};

  static dataserver::ServerOptions Options() {
    dataserver::ServerOptions options;
    options.port = 0;
    options.eggCount = kEggs;
    options.seed = kSeed;
    return options;
  }

  Setup() {
    std::string pattern = SystemTempDirectory() + "corvane-remote-bench-XXXXXX";
    dir = WithSeparator(mkdtemp(pattern.data()));
    std::filesystem::create_directories(dir + "out");
    std::filesystem::create_directories(dir + "tmp");
    eggdata::EggDataOptions options;
    options.start = SecondsFromText("2011-05-03 00:00:00");
    options.stop = SecondsFromText("2011-05-03 23:59:59");
    options.eggCount = kEggs;
    options.seed = kSeed;
    local_gz = dir + "day.gz";
    eggdata::WriteEggDataFile(local_gz, options, true);
    week_gz = dir + "week.gz";
    options.start = SecondsFromText(kWeekStart);
    options.stop = SecondsFromText(kWeekStop);
    eggdata::WriteEggDataDays(week_gz, options, true);
    server.Start();
  }
  ~Setup() {
    server.Stop();
    std::error_code error;
    std::filesystem::remove_all(dir, error);
  }
};

Setup& Shared() {
  static Setup setup;
  return setup;
}

// One whole run from start to stop; false when it did not end.
bool RunRange(bool remote, const std::string& dataName, const std::string& start,
              const std::string& stop, const std::string& localFile) {
  Setup& setup = Shared();
  bench::RunEndWaiter waiter;
  CEggStatistics job(&waiter, &waiter);
  job.SetTempDirectory(setup.dir + "tmp", false);
  job.SetRootDirectory(setup.dir + "out");
  job.SetGnuplotPath("/bin/true");
  job.SetDataUrls(setup.server.DataUrl(), setup.server.PseudoDataUrl());
  job.SetLocalEggFile(remote ? "" : localFile);
  job.SetRemoteAccess(remote, false);
  job.SetStartTime(start);
  job.SetStopTime(stop);
  if (!job.StartThread()) return false;
  job.StartAnalysis(true, dataName, start, stop);
  return waiter.WaitForEnd() && !waiter.message();
}

// One whole run of the day given.
bool Run(bool remote, const std::string& dataName, const std::string& date = "2011-05-03") {
  return RunRange(remote, dataName, date + " 00:00:00", date + " 23:59:59", Shared().local_gz);
}

bool RunWeek(bool remote, const std::string& dataName) {
  return RunRange(remote, dataName, kWeekStart, kWeekStop, Shared().week_gz);
}

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

// The run's data file was written.
bool Written(const std::string& dataName) {
  const std::string path = Shared().dir + "out/" + dataName + "/" + dataName + ".dat";
  return std::filesystem::exists(path);
}

void Warm(const std::string& url) {
  HttpTransfer transfer;
  httpGetFile(url, Shared().dir + "warm.gz", transfer, HttpGetOptions());
}

void BM_OneDayLocalGz(benchmark::State& state) {
  Run(false, "local");  // setup and a first run outside the timing
  for (auto _ : state) {
    if (!Run(false, "local")) state.SkipWithError("run did not end");
  }
  if (!Written("local")) state.SkipWithError("no results");
}

void BM_OneDayRemote(benchmark::State& state) {
  Warm(Shared().server.DataUrl() +
       "&year=2011&month=5&day=3&stime=00%3A00%3A00&etime=23%3A59%3A59&gzip=Yes&idate=Yes");
  Run(true, "remote");
  for (auto _ : state) {
    if (!Run(true, "remote")) state.SkipWithError("run did not end");
  }
  if (!Written("remote")) state.SkipWithError("no results");
}

void BM_OneDayRemoteCold(benchmark::State& state) {
  Shared();
  int day = 10;
  for (auto _ : state) {
    // A date the server has not answered yet, so it makes the answer now.
    state.PauseTiming();
    const std::string date = "2011-06-" + std::to_string(day++);
    state.ResumeTiming();
    if (!Run(true, "cold", date)) state.SkipWithError("run did not end");
  }
  if (!Written("cold")) state.SkipWithError("no results");
}

void BM_SevenDaysRemoteVsLocal(benchmark::State& state) {
  // Each day's answer is made (and cached by the server) before the timing.
  RunWeek(true, "week_remote");
  RunWeek(false, "week_local");
  double local = 0.0, remote = 0.0;
  for (auto _ : state) {
    auto started = std::chrono::steady_clock::now();
    if (!RunWeek(false, "week_local")) state.SkipWithError("local run failed");
    local += MillisecondsSince(started);
    started = std::chrono::steady_clock::now();
    if (!RunWeek(true, "week_remote")) state.SkipWithError("remote run failed");
    remote += MillisecondsSince(started);
  }
  if (!Written("week_local") || !Written("week_remote")) state.SkipWithError("no results");
  const auto runs = static_cast<double>(state.iterations());
  state.counters["LocalMs"] = local / runs;
  state.counters["RemoteMs"] = remote / runs;
  state.counters["Ratio"] = remote / local;
}

BENCHMARK(BM_OneDayLocalGz)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_OneDayRemote)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_OneDayRemoteCold)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_SevenDaysRemoteVsLocal)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
