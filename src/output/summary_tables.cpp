#include "output/summary_tables.h"

#include <algorithm>

#include "core/c_format.h"
#include "core/output_file.h"
#include "input/input_notes.h"
#include "output/smoothing_line.h"

namespace corvane {

const char* const kSummaryColumnHeading =
    "name\tnEggs\tStouf\tDf\tProb\tcvar1\tcvar2\tdiff\teggvar1\teggvar2\tdiff\tlpvar1\tlpvar2\t"
    "diff\talpdev1\talpdev2\tdiff\tlpadev1\tlpadev2\tdiff\tlpmax1\tlpmax2\tdiff";

const char* const kDependentSamplesNote =
    "Note: the t-tests of the filtered and cumulative variables (cvar, lpvar, alpdev, lpadev, "
    "lpmax) are not valid significance tests, as their samples are dependent; the test of the "
    "unfiltered eggvar remains valid.";

namespace {

std::string IntervalSettingsText(const AnalysisSettings& settings) {
  return CFormat("interval1Start %d\ninterval2Start %d\nintervalDuration %d\n",
                 settings.interval1Start, settings.interval2Start, settings.intervalDuration);
}

}  // namespace

std::optional<std::string> WriteStatisticsTable(OutputFileSet& set, const std::string& path,
                                                const AnalysisSettings& settings,
                                                const CompositeSeries& series,
                                                const IntervalComparison& comparison,
                                                const std::string& inputNotes) {
  OutputFile file;
  if (!set.Open(file, path, "w"))
    return std::string("Failed to open statistics tst file for output");
  file.Write(IntervalSettingsText(settings));
  file.Printf("useableEggs %d\n", series.useableEggs);
  file.Write(inputNotes);
  file.Write(SmoothingWindowLine(settings));
  if ((settings.echoMethod != kEchoNone && settings.eventTime > 0) || settings.eventDuration > 0) {
    file.Write(settings.echoMethod == kEchoEuclidean ? "Event echo method: Euclidean distance\n"
                                                     : "Event echo method: Cosine\n");
    file.Printf("Event echo variable: %s\n", series.echoVariableName.c_str());
    if (series.echoPeakCount > 0) {
      file.Printf("Mean of %d highest EventEcho peaks= %f\n", series.echoPeakCount,
                  series.echoPeakMean);
    }
  }
  // The degrees of freedom of two complete intervals; a variable whose
  // intervals hold undefined seconds says how many its test had.
  const long long degrees = 2LL * comparison.duration - 2;
  file.Printf("\ntDF %lld\n", degrees);
  for (std::size_t v = 0; v < kComparedVariables.size(); ++v) {
    const char* name = kComparedVariables[v].name;
    const TTestResult& test = comparison.tests[v];
    file.Printf("\ninterval1Mean_%s %f\n", name, test.mean1);
    file.Printf("interval2Mean_%s %f\n", name, test.mean2);
    file.Printf("t-value %f\n", test.t);
    file.Printf("tProb %f\n", test.prob);
    if (test.df != degrees) file.Printf("tDF_%s %lld\n", name, static_cast<long long>(test.df));
  }
  // Last, so that the lines above stay where readers of the table find them.
  file.Printf("\n%s\n", kDependentSamplesNote);
  if (!set.Finish(file)) {
    return "Failed to write statistics tst file " + path + ": " + file.Reason();
  }
  return std::nullopt;
}

TableText SummaryRunText(const AnalysisSettings& settings, const CompositeSeries& series,
                         const IntervalComparison& comparison) {
  TableText table;
  table.headingLine = kSummaryColumnHeading;
  table.heading = CFormat("Root directory: %s\n", settings.rootDirectory.c_str()) +
                  IntervalSettingsText(settings) + SmoothingWindowLine(settings) +
                  CFormat("\n%s\n\n", kSummaryColumnHeading);
  table.text = CFormat("%s\t%d\t%f\t%d\t%f\t", settings.dataName.c_str(), series.useableEggs,
                       series.lastCumulativeDeviation, series.finalStoufferDegrees,
                       1.0 - series.finalStoufferProb);
  for (const TTestResult& test : comparison.tests) {
    table.text += CFormat("%f\t%f\t%f\t", test.mean1, test.mean2, test.mean2 - test.mean1);
  }
  table.text += "\n";
  return table;
}

std::optional<IntervalReport> CompareIntervals(RunContext& context, const EggSampleTable& table,
                                               const CompositeSeries& series) {
  const AnalysisSettings& settings = context.settings;
  if (!settings.compareIntervals || context.Aborted()) return std::nullopt;
  IntervalReport report;
  if (auto error = IntervalSettingsError(settings.interval1Start, settings.interval2Start,
                                         settings.intervalDuration)) {
    context.ShowMessage(*error);
    report.message = *error;
    return report;
  }
  // The settings are seconds from the first sample; a sample spans
  // `resolution` of them, and the duration is rounded up to whole samples.
  const int resolution = std::max(1, table.resolution);
  const int duration = settings.intervalDuration / resolution +
                       (settings.intervalDuration % resolution != 0 ? 1 : 0);
  if (duration < 2) {
    report.message = CFormat(
        "The interval duration must be at least %d seconds at %d "
        "seconds per sample",
        resolution + 1, resolution);
    context.ShowMessage(report.message);
    return report;
  }
  auto outcome = CompareSeriesIntervals(series, settings.interval1Start / resolution,
                                        settings.interval2Start / resolution, duration);
  if (const std::string* refusal = std::get_if<std::string>(&outcome)) {
    context.ShowMessage(*refusal);
    report.message = *refusal;
    return report;
  }
  const IntervalComparison& comparison = std::get<IntervalComparison>(outcome);
  report.ran = true;
  for (std::size_t v = 0; v < kComparedVariables.size(); ++v) {
    const TTestResult& test = comparison.tests[v];
    report.tests.push_back(
        {kComparedVariables[v].name, test.mean1, test.mean2, test.t, test.df, test.prob});
  }
  if (auto failure = WriteStatisticsTable(
          context.results, settings.outputDirectory + settings.dataName + ".tst", settings, series,
          comparison, InputNoteLines(table, false))) {
    context.ShowMessage(*failure);
    report.message = *failure;
    return report;
  }
  if (!settings.batchMode) return report;
  if (auto failure = context.results.AddToTable(
          context.SummaryPath(), SummaryRunText(settings, series, comparison),
          "Failed to add the run line to the summary table")) {
    context.ShowUnwrittenLine(settings.dataName + ": " + *failure);
  }
  return report;
}

}  // namespace corvane
