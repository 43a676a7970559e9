#include "output/write_results.h"

#include <exception>
#include <optional>
#include <string>

#include "core/c_format.h"
#include "core/data_name.h"
#include "core/output_file.h"
#include "input/input_notes.h"
#include "input/local_staging.h"
#include "output/cumulative_statistics.h"
#include "output/gnuplot_launcher.h"
#include "output/plot_data_file.h"
#include "output/plot_files.h"
#include "output/plot_information.h"
#include "output/plot_picture.h"
#include "output/plot_script.h"

namespace corvane {
namespace {

constexpr char kStoufferLabel[] = "Stouffer_Z Deviation";

// Ends the step: what the run wrote so far is discarded first, so that the
// message has room on a full disk.
bool Fail(RunContext& context, const std::string& message) {
  context.results.Discard();
  context.ShowMessage(message);
  context.Abort();
  return false;
}

// "Failed to write gnuplot dat file <path>: <reason>".
std::string WriteFailure(const char* kind, const std::string& path, const OutputFile& file) {
  return CFormat("Failed to write gnuplot %s file %s: %s", kind, path.c_str(),
                 file.Reason().c_str());
}

// Discards the run's pending files unless they were committed.
struct DiscardUncommitted {
  OutputFileSet& set;
  ~DiscardUncommitted() { set.Discard(); }
};

// Runs an optional step when it is wanted, it exists and the run goes on,
// after posting its status text (if any).
void RunStep(const RunContext& context, const std::function<void()>& step, bool wanted,
             const char* status = nullptr) {
  if (!step || !wanted || context.Aborted()) return;
  if (status != nullptr) context.PostStatus(status);
  step();
}

// The final values of the run: those of the last data line written.
void KeepFinalValues(const CumulativeStatistics& cumulative, int written, CompositeSeries& series) {
  series.lastCumulativeDeviation = 0.0;
  series.finalStoufferProb = 0.0;
  series.finalCovarProb = 0.0;
  series.finalStoufferDegrees = 0;
  series.finalStoufferSum = 0.0;
  series.finalCovarSum = 0.0;
  series.finalCovarDegrees = 0;
  if (written <= 0) return;
  const auto last = static_cast<size_t>(written - 1);
  series.lastCumulativeDeviation = cumulative.deviation[last];
  series.finalStoufferProb = cumulative.stoufferProb[last];
  series.finalCovarProb = cumulative.covarProb[last];
  series.finalStoufferDegrees = cumulative.stoufferDegrees[last];
  series.finalStoufferSum = cumulative.stoufferSum[last];
  series.finalCovarSum = cumulative.covarSum[last];
  series.finalCovarDegrees = cumulative.covarDegrees[last];
}

}  // namespace

bool WriteResults(RunContext& context, const EggSampleTable& table, CompositeSeries& series,
                  const ResultSteps& steps) {
  const AnalysisSettings& settings = context.settings;
  if (std::optional<std::string> error = DataNameError(settings.dataName)) {
    context.RunError(*error);
    context.Abort();
    return false;
  }
  if (!EnsureOutputDirectory(context)) {
    context.Abort();
    return false;
  }
  const std::optional<PlotFiles> files = PlotFilesOf(settings);
  if (!files) return Fail(context, "Failed to get current directory");
  // Every file of the run stays pending until the set is complete; any early
  // return (a Stop, a failure, an exception) discards them.
  OutputFileSet& set = context.results;
  if (std::optional<std::string> refusal = set.Begin(files->directory, settings.dataName)) {
    return Fail(context, *refusal);
  }
  const DiscardUncommitted discard{set};

  RunStep(context, steps.createAudioFiles, settings.audio, "Creating audio");
  RunStep(context, steps.eventEcho, true);
  RunStep(context, steps.dftSpectra, settings.dft);
  if (context.Aborted()) return false;

  OutputFile script, data, information;
  if (!set.Open(script, files->script, "w")) {
    return Fail(context, "Failed to open gnuplot gp file for output");
  }
  if (!set.Open(data, files->data, "w")) {
    return Fail(context, "Failed to open gnuplot dat file for output");
  }
  if (!set.Open(information, files->information, "w")) {
    return Fail(context, "Failed to open gnuplot inf file for output");
  }
  set.CommitLast(files->information);
  context.PostStatus("Writing results file");
  context.AdvanceJobStage();

  try {
    const CumulativeStatistics cumulative = ComputeCumulativeStatistics(context, series);
    const int written = WritePlotData(context, series, cumulative, data);
    if (context.Aborted()) return false;
    KeepFinalValues(cumulative, written, series);
  } catch (const std::exception& error) {
    context.RunError(error.what());
    context.Abort();
    return false;
  }
  if (!set.Finish(data)) return Fail(context, WriteFailure("dat", files->data, data));

  RunStep(context, steps.compareIntervals, settings.compareIntervals, "Comparing intervals");
  if (context.Aborted()) return false;

  const int useable = series.useableEggs;
  const double stoufferUpper = 1.0 - series.finalStoufferProb;
  const double covarUpper = 1.0 - series.finalCovarProb;
  const std::string title =
      PlotTitle(settings.dataName, table.firstSampleTime, table.lastRecordTime);
  const std::string scriptText =
      ScriptHead(settings.plotWidth, settings.plotHeight, title, kStoufferLabel) +
      TickBlock(table.firstSampleTime.Seconds(), table.resolution, table.sampleCount) +
      PlotCommand(files->data, 2, CFormat("Composite: %d eggs: p = %.3f", useable, stoufferUpper),
                  true);
  script.Write(scriptText);
  if (!set.Finish(script)) return Fail(context, WriteFailure("gp", files->script, script));
  information.Write(
      PlotInformationText(table.sampleCount, title, useable, stoufferUpper, covarUpper, settings) +
      InputNoteLines(table, true));
  if (!set.Finish(information)) {
    return Fail(context, WriteFailure("inf", files->information, information));
  }

  const OutputFileSet::Outcome outcome = set.Commit();
  for (const std::string& failure : outcome.failures) context.ShowMessage(failure);
  if (!outcome.committed) {
    context.Abort();
    return false;
  }
  context.AdvanceJobStage();

  // The results are in place whatever becomes of the picture; a picture that
  // could not be drawn still fails the run, after the window is shown.
  const bool pictured = context.Aborted() || DrawPlotPicture(context, *files, scriptText);
  if (!context.Aborted() && !settings.batchMode) {
    context.PostStatus("Generating plot");
    LaunchPlot(context, files->script);
  }
  if (!pictured) context.Abort();
  return true;
}

}  // namespace corvane
