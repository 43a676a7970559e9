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
#include "output/plot_script.h"

namespace corvane {
namespace {

constexpr char kStoufferLabel[] = "Stouffer_Z Deviation";

void Fail(RunContext& context, const std::string& message) {
  context.ShowMessage(message);
  context.Abort();
}

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

// Writes the whole text and closes the file; false when anything failed.
bool WriteAndClose(OutputFile& file, const std::string& text) {
  file.Write(text);
  return file.Close();
}

}  // namespace

void WriteResults(RunContext& context, const EggSampleTable& table, CompositeSeries& series,
                  const ResultSteps& steps) {
  const AnalysisSettings& settings = context.settings;
  if (std::optional<std::string> error = DataNameError(settings.dataName)) {
    context.RunError(*error);
    context.Abort();
    return;
  }
  if (!EnsureOutputDirectory(context)) {
    context.Abort();
    return;
  }

  RunStep(context, steps.createAudioFiles, settings.audio, "Creating audio");
  RunStep(context, steps.eventEcho, true);
  RunStep(context, steps.dftSpectra, settings.dft);

  const std::optional<PlotFiles> files = PlotFilesOf(settings);
  if (!files) {
    Fail(context, "Failed to get current directory");
    return;
  }
  OutputFile script, data, information;
  if (!script.Open(files->script, "w")) {
    return Fail(context, "Failed to open gnuplot gp file for output");
  }
  if (!data.Open(files->data, "w")) {
    return Fail(context, "Failed to open gnuplot dat file for output");
  }
  if (!information.Open(files->information, "w")) {
    return Fail(context, "Failed to open gnuplot inf file for output");
  }
  context.PostStatus("Writing results file");
  context.AdvanceJobStage();

  int written = 0;
  try {
    const CumulativeStatistics cumulative = ComputeCumulativeStatistics(context, series);
    written = WritePlotData(context, series, cumulative, data);
    KeepFinalValues(cumulative, written, series);
  } catch (const std::exception& error) {
    context.RunError(error.what());
    context.Abort();
    return;
  }
  if (!data.Close()) return Fail(context, "Failed to write gnuplot dat file");

  RunStep(context, steps.compareIntervals, settings.compareIntervals, "Comparing intervals");

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
  if (!WriteAndClose(script, scriptText)) return Fail(context, "Failed to write gnuplot gp file");
  if (!WriteAndClose(information, PlotInformationText(table.sampleCount, title, useable,
                                                      stoufferUpper, covarUpper, settings) +
                                      InputNoteLines(table, true))) {
    return Fail(context, "Failed to write gnuplot inf file");
  }
  context.AdvanceJobStage();

  if (!context.Aborted() && !settings.batchMode) {
    context.PostStatus("Generating plot");
    LaunchPlot(context, files->script);
  }
}

}  // namespace corvane
