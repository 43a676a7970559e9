// A batch of 100 one-hour items over local synthetic day files, run through
// the request form as "Run batch file" runs it (target: at most 20 s wall).
//
// Each item reads the day file that holds its hour, computes the statistics
// and writes its results; the next item starts when the previous one has
// reported its end.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <QCoreApplication>
#include <QEventLoop>
#include <QSettings>

#include "app/analysis_dialog.h"
#include "app/numeric_locale.h"
#include "app/settings_store.h"
#include "app_bench_support.h"
#include "bench_support.h"
#include "core/c_format.h"
#include "core/date_time.h"
#include "core/paths.h"
#include "eggdata/egg_data_generator.h"

namespace {

using namespace corvane;

using bench::QuietView;

constexpr int kItems = 100;

// Day files of the 100 hours from 2011-05-01 00:00:00, and the batch file.
std::string PrepareBatch(const std::string& dir) {
  const std::int64_t first = SecondsFromText("2011-05-01 00:00:00");
  std::string text = "DataDirectory " + dir + "out\n";
  for (int day = 0; day * 24 < kItems; ++day) {
    eggdata::EggDataOptions options;
    options.start = first + day * 86400;
    options.stop = options.start + 86399;
    const std::string file = dir + CFormat("day%d.csv", day);
    if (!eggdata::WriteEggDataFile(file, options, false)) std::abort();
    for (int hour = 0; hour < 24 && day * 24 + hour < kItems; ++hour) {
      const std::int64_t start = options.start + hour * 3600;
      text += "LocalEggFile " + file + "\n" + CFormat("Hour%03d ", day * 24 + hour) +
              bench::DateTimeText(start) + " " + bench::DateTimeText(start + 3599) + "\n";
    }
  }
  const std::string batch = dir + "hours.ebb";
  FILE* out = std::fopen(batch.c_str(), "w");
  std::fputs(text.c_str(), out);
  std::fclose(out);
  return batch;
}

void BM_BatchOf100HourItems(benchmark::State& state) {
  std::string dir = SystemTempDirectory() + "corvane-batch-bench-XXXXXX";
  if (mkdtemp(dir.data()) == nullptr) std::abort();
  dir = WithSeparator(dir);
  std::filesystem::create_directories(dir + "out");
  const std::string batch = PrepareBatch(dir);
  SettingsStore store;
  for (auto _ : state) {
    QuietView view;
    AnalysisDialog form(store, view);
    form.config.tempDirectory = dir;
    if (form.OpenBatchFileAt(batch) != kItems) std::abort();
    form.RunBatchFile();
    QEventLoop loop;
    while (form.BatchMode()) loop.processEvents(QEventLoop::WaitForMoreEvents);
    if (view.last != CFormat("%d items processed in batch mode: %d completed, 0 failed, 0 refused, "
                             "0 stopped",
                             kItems, kItems)) {
      std::abort();
    }
  }
  // Every item wrote its results.
  for (int i = 0; i < kItems; ++i) {
    if (!std::filesystem::exists(dir + CFormat("out/Hour%03d/Hour%03d.dat", i, i))) std::abort();
  }
  state.counters["items"] = kItems;
  std::filesystem::remove_all(dir);
}

BENCHMARK(BM_BatchOf100HourItems)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return corvane::bench::RunAppBenchmarks(argc, argv); }
