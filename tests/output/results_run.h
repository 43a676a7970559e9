// A small analysis run for the output tests: batch settings, a sample table,
// the real statistics, the plot files and a gnuplot that records the
// arguments of a window launch and hands a launch without arguments (a
// picture drawn from its input) on to the real gnuplot.
#pragma once

#include <sys/stat.h>

#include <filesystem>

#include "output/gnuplot_launcher.h"
#include "output/plot_display.h"
#include "output/write_results.h"
#include "stats/composite_statistics.h"
#include "support/gnuplot_recorder.h"  // WaitForRecord
#include "support/recording_link.h"
#include "support/sample_table.h"
#include "support/temp_dir.h"

namespace corvane::testing {

// Trial sums of four eggs, a different series for each seed.
inline std::vector<std::vector<std::int32_t>> FourEggs(int samples, int seed) {
  std::vector<std::vector<std::int32_t>> eggs(4);
  for (int k = 0; k < 4; ++k) {
    for (int i = 0; i < samples; ++i) eggs[k].push_back(100 + (i * (7 + seed) + k * 13) % 21 - 10);
  }
  return eggs;
}

// Records what a run reports, and stops the run at its stopAt-th status (1,
// 2, ...; never at 0).
struct StoppingLink : RecordingLink {
  RunContext* context = nullptr;
  int stopAt = 0, posted = 0;
  void PostStatus(const std::string& text) override {
    RecordingLink::PostStatus(text);
    if (++posted == stopAt) context->Abort();
  }
};

struct ResultsRun {
  TempDir root;
  StoppingLink link;
  RunContext context{&link, &link};
  EggSampleTable table;
  CompositeSeries series;
  std::string record = root.File("gnuplot-arguments");  // what the gnuplot got

  // rootName: a folder of the temporary directory to use as the output root.
  explicit ResultsRun(const std::string& name, const std::string& rootName = "") {
    link.context = &context;
    const std::string directory = root.path() + (rootName.empty() ? "" : rootName + "/");
    mkdir(directory.c_str(), 0755);
    context.settings.dataName = name;
    context.settings.rootDirectory = directory;
    context.settings.outputDirectory = directory + name + "/";
    context.settings.batchMode = true;
    std::string& gnuplot = context.settings.gnuplotPath;
    gnuplot = root.File("gnuplot");
    WriteFile(gnuplot, "#!/bin/sh\n[ $# -eq 0 ] && exec '" + FindExecutable("gnuplot") +
                           "'\nprintf '%s\\n' \"$@\" > '" + record + ".part'\nmv '" + record +
                           ".part' '" + record + "'\n");
    std::filesystem::permissions(gnuplot, std::filesystem::perms::owner_all);
  }

  // Writes the results of per-egg trial sums from the start time on.
  void Run(const std::vector<std::vector<std::int32_t>>& eggs, const char* start,
           const ResultSteps& steps = {}) {
    table = MakeSampleTable(eggs);
    table.firstSampleTime = DateTime(SecondsFromText(start));
    table.lastRecordTime = DateTime(table.firstSampleTime.Seconds() + table.sampleCount - 1);
    ComputeStatistics(context, table, series);
    WriteResults(context, table, series, steps);
  }
  // Rewrites the script for a display variable (data file column 2 or 4 to
  // 14), and launches gnuplot unless the run is stopped.
  void Display(int code, const std::string& title) {
    context.settings.displayCode = code;
    context.settings.displayTitle = title;
    RunDisplay(context);
  }

  std::string Path(const std::string& extension) const {
    return context.settings.outputDirectory + context.settings.dataName + extension;
  }
  std::string Read(const std::string& extension) const { return ReadFile(Path(extension)); }
};

}  // namespace corvane::testing
