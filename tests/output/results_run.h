// A small analysis run for the output tests: settings, a sample table, the
// real statistics, and the paths of the plot files.
#pragma once

#include <sys/stat.h>

#include <string>
#include <vector>

#include "core/date_time.h"
#include "core/run_context.h"
#include "input/egg_sample_table.h"
#include "stats/composite_series.h"
#include "stats/composite_statistics.h"
#include "support/recording_link.h"
#include "support/sample_table.h"
#include "support/temp_dir.h"

namespace corvane::testing {

// The display variables of the form: data file column and display title.
struct DisplayVariable {
  int code;
  const char* title;
};

inline const std::vector<DisplayVariable> kDisplayVariables = {
    {2, "Stouffer_Z Deviation"},
    {4, "Stouffer_Z Probability"},
    {5, "LP-filtered mean deviation"},
    {6, "Absolute LP-filtered mean deviation"},
    {7, "Variance"},
    {8, "LP-filtered egg variance"},
    {9, "LP-filtered absolute deviation"},
    {10, "LP-filtered maximum absolute deviation"},
    {11, "Cumulative deviation of variance"},
    {12, "Event correlation"},
    {13, "Egg Covariance"},
    {14, "Covar Probability"}};

struct ResultsRun {
  TempDir root;
  RecordingLink link;
  RunContext context{&link, &link};
  EggSampleTable table;
  CompositeSeries series;

  explicit ResultsRun(const std::string& name, const std::string& rootName = "") {
    std::string directory = root.path();
    if (!rootName.empty()) {
      directory += rootName + "/";
      mkdir(directory.c_str(), 0755);
    }
    context.settings.dataName = name;
    context.settings.rootDirectory = directory;
    context.settings.outputDirectory = directory + name + "/";
    context.settings.batchMode = true;
  }

  // Sets the table from per-egg trial sums, starting at the given time, and
  // computes the statistics.
  void Compute(const std::vector<std::vector<std::int32_t>>& eggs, const char* start) {
    table = MakeSampleTable(eggs);
    table.firstSampleTime = DateTime(SecondsFromText(start));
    table.lastRecordTime = DateTime(table.firstSampleTime.Seconds() + table.sampleCount - 1);
    ComputeStatistics(context, table, series);
  }

  std::string Path(const std::string& extension) const {
    return context.settings.outputDirectory + context.settings.dataName + extension;
  }
  std::string Read(const std::string& extension) const { return ReadFile(Path(extension)); }
};

}  // namespace corvane::testing
