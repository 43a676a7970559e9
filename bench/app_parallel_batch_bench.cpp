// A batch of 100 one-hour items over one local gzip day file, run through
// the request form one item at a time (--jobs 1) and two at a time (--jobs
// 2), side by side in one run, alternating so that the machine's load falls
// on both alike. Reports each wall time and the ratio jobs 2 / jobs 1.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QEventLoop>
#include <QSettings>

#include "app/analysis_dialog.h"
#include "app/numeric_locale.h"
#include "app/settings_store.h"
#include "app_bench_support.h"
#include "bench_support.h"
#include "core/c_format.h"
#include "core/paths.h"
#include "eggdata/egg_data_generator.h"

namespace {

using namespace corvane;

using bench::QuietView;

constexpr int kItems = 100;
constexpr int kRounds = 3;

// One day file and a batch of 100 one-hour items over it (the hours of the
// day in turn), writing below out<jobs>/.
std::string PrepareBatch(const std::string& dir, int jobs) {
  const std::string day = dir + "day.csv.gz";
  if (!std::filesystem::exists(day)) {
    eggdata::EggDataOptions options;
    options.start = bench::kBenchDay;
    options.stop = options.start + 86399;
    if (!eggdata::WriteEggDataFile(day, options, true)) std::abort();
  }
  const std::string root = dir + CFormat("out%d/", jobs);
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root);
  std::string text = "DataDirectory " + root + "\n";
  for (int i = 0; i < kItems; ++i) {
    const std::int64_t start = bench::kBenchDay + (i % 24) * 3600;
    text += "LocalEggFile " + day + "\n" + CFormat("Hour%03d ", i) + bench::DateTimeText(start) +
            " " + bench::DateTimeText(start + 3599) + "\n";
  }
  const std::string batch = dir + CFormat("hours%d.ebb", jobs);
  FILE* out = std::fopen(batch.c_str(), "w");
  std::fputs(text.c_str(), out);
  std::fclose(out);
  return batch;
}

double RunBatch(const std::string& dir, int jobs) {
  const std::string batch = PrepareBatch(dir, jobs);
  SettingsStore store;
  QuietView view;
  AnalysisDialog form(store, view);
  form.config.tempDirectory = dir;
  form.SetBatchJobs(jobs);
  if (form.OpenBatchFileAt(batch) != kItems) std::abort();
  const auto begin = std::chrono::steady_clock::now();
  form.RunBatchFile();
  QEventLoop loop;
  while (form.BatchMode()) loop.processEvents(QEventLoop::WaitForMoreEvents);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  if (view.last.rfind(CFormat("%d items processed in batch mode: %d completed", kItems, kItems),
                      0) != 0) {
    std::fprintf(stderr, "%s\n", view.last.c_str());
    std::abort();
  }
  return seconds;
}

void BM_HourItemsOneAndTwoAtOnce(benchmark::State& state) {
  std::string dir = SystemTempDirectory() + "corvane-parallel-bench-XXXXXX";
  if (mkdtemp(dir.data()) == nullptr) std::abort();
  dir = WithSeparator(dir);
  std::vector<double> one, two;
  for (auto _ : state) {
    for (int round = 0; round < kRounds; ++round) {
      one.push_back(RunBatch(dir, 1));
      two.push_back(RunBatch(dir, 2));
    }
  }
  // Every item of both wrote its results.
  for (int i = 0; i < kItems; ++i) {
    for (const char* root : {"out1", "out2"}) {
      if (!std::filesystem::exists(dir + CFormat("%s/Hour%03d/Hour%03d.dat", root, i, i))) {
        std::abort();
      }
    }
  }
  std::sort(one.begin(), one.end());
  std::sort(two.begin(), two.end());
  const double a = one[one.size() / 2];
  const double b = two[two.size() / 2];
  state.counters["jobs1_s"] = a;
  state.counters["jobs2_s"] = b;
  state.counters["ratio_2_over_1"] = b / a;
  std::printf("100 one-hour items, median of %d: --jobs 1 %.2f s, --jobs 2 %.2f s, ratio %.2f\n",
              kRounds, a, b, b / a);
  std::filesystem::remove_all(dir);
}

BENCHMARK(BM_HourItemsOneAndTwoAtOnce)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return corvane::bench::RunAppBenchmarks(argc, argv); }
