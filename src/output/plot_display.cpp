#include "output/plot_display.h"

#include <sys/stat.h>

#include <optional>
#include <string>

#include "core/c_format.h"
#include "core/data_name.h"
#include "core/output_file.h"
#include "output/data_lines.h"
#include "output/gnuplot_launcher.h"
#include "output/plot_files.h"
#include "output/plot_information.h"
#include "output/plot_picture.h"
#include "output/plot_script.h"

namespace corvane {
namespace {

void Fail(RunContext& context, const std::string& message) {
  context.results.Discard();
  context.ShowMessage(message);
  context.Abort();
}

bool IsDisplayColumn(int code) { return code == 2 || (code >= 4 && code <= 14); }

bool Exists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

// Why the run's information and data files are not a whole set, or nullopt
// when they are (the information is read into *information).
std::optional<std::string> NotWhole(const std::string& name, const PlotFiles& files,
                                    PlotInformation& information) {
  switch (ReadPlotInformation(files.information, information)) {
    case InformationStatus::kMissing:
      return std::string("Failed to open gnuplot inf file for input");
    case InformationStatus::kNotRegular:
      return "Failed to open gnuplot inf file for input: " + files.information +
             " is not a regular file";
    case InformationStatus::kMalformed:
      return "Malformed gnuplot inf file " + files.information;
    case InformationStatus::kOk:
      break;
  }
  const std::string incomplete = "The results of " + name + " are incomplete: ";
  const DataLines lines = CountDataLines(files.data);
  if (!lines.readable) return incomplete + files.data + ": " + lines.reason;
  if (lines.complete != information.records || lines.unfinished) {
    return incomplete + CFormat("%s counts %lld records, but %s holds %lld%s",
                                files.information.c_str(),
                                static_cast<long long>(information.records), files.data.c_str(),
                                static_cast<long long>(lines.complete),
                                lines.unfinished ? " and an unfinished line" : "");
  }
  return std::nullopt;
}

}  // namespace

void RunDisplay(RunContext& context) {
  const AnalysisSettings& settings = context.settings;
  if (std::optional<std::string> error = DataNameError(settings.dataName)) {
    return Fail(context, *error);
  }
  const int column = settings.displayCode;
  if (!IsDisplayColumn(column))
    return Fail(context, CFormat("Unknown display variable %d", column));
  const std::optional<PlotFiles> files = PlotFilesOf(settings);
  if (!files) return Fail(context, "Failed to get current directory");
  if (!Exists(files->directory)) return Fail(context, "Failed to open gnuplot inf file for input");

  OutputFileSet& set = context.results;
  if (std::optional<std::string> refusal = set.Begin(files->directory, settings.dataName)) {
    return Fail(context, *refusal);
  }
  PlotInformation information;
  if (std::optional<std::string> problem = NotWhole(settings.dataName, *files, information)) {
    return Fail(context, *problem);
  }

  std::string text =
      ScriptHead(settings.plotWidth, settings.plotHeight, information.title, settings.displayTitle);
  if (information.records > 0) {
    const bool stouffer = column == 2, covar = column == 13;
    const std::string& legend = stouffer ? information.stoufferLegend
                                : covar  ? information.covarLegend
                                         : settings.displayTitle;
    text += TickBlock(0, 1, information.records);
    text += PlotCommand(files->data, column, legend, stouffer || covar);
  }
  OutputFile script;
  if (!set.Open(script, files->script, "w")) {
    return Fail(context, "Failed to open gnuplot gp file for output");
  }
  script.Write(text);
  if (!set.Finish(script)) {
    return Fail(context,
                "Failed to write gnuplot gp file " + files->script + ": " + script.Reason());
  }
  const OutputFileSet::Outcome outcome = set.Commit();
  for (const std::string& failure : outcome.failures) context.ShowMessage(failure);
  if (!outcome.committed) {
    context.Abort();
    return;
  }
  // A run of no records has nothing to draw.
  const bool pictured =
      information.records == 0 || context.Aborted() || DrawPlotPicture(context, *files, text);
  if (information.records > 0 && !context.Aborted()) LaunchPlot(context, files->script);
  if (!pictured) context.Abort();
}

}  // namespace corvane
