// A one-day run of 60 eggs, the whole job on its own thread from
// StartAnalysis to the end-of-run notification: from a local .gz file, and
// from the stand-in data server on loopback (the same data). Target: the
// remote run takes at most 0.5 s more wall time than the local one.
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

struct Setup {
  std::string dir;
  std::string local_gz;
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

// One whole run of the day given; false when it did not end.
bool Run(bool remote, const std::string& dataName, const std::string& date = "2011-05-03") {
  Setup& setup = Shared();
  bench::RunEndWaiter waiter;
  CEggStatistics job(&waiter, &waiter);
  const std::string start = date + " 00:00:00";
  const std::string stop = date + " 23:59:59";
  job.SetTempDirectory(setup.dir + "tmp", false);
  job.SetRootDirectory(setup.dir + "out");
  job.SetGnuplotPath("/bin/true");
  job.SetDataUrls(setup.server.DataUrl(), setup.server.PseudoDataUrl());
  job.SetLocalEggFile(remote ? "" : setup.local_gz);
  job.SetRemoteAccess(remote, false);
  job.SetStartTime(start);
  job.SetStopTime(stop);
  if (!job.StartThread()) return false;
  job.StartAnalysis(true, dataName, start, stop);
  return waiter.WaitForEnd();
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

BENCHMARK(BM_OneDayLocalGz)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_OneDayRemote)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_OneDayRemoteCold)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
