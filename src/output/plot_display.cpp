#include "output/plot_display.h"

#include <optional>
#include <string>

#include "core/c_format.h"
#include "core/data_name.h"
#include "core/output_file.h"
#include "output/gnuplot_launcher.h"
#include "output/plot_files.h"
#include "output/plot_information.h"
#include "output/plot_script.h"

namespace corvane {
namespace {

void Fail(RunContext& context, const std::string& message) {
  context.ShowMessage(message);
  context.Abort();
}

bool IsDisplayColumn(int code) { return code == 2 || (code >= 4 && code <= 14); }

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

  PlotInformation information;
  switch (ReadPlotInformation(files->information, information)) {
    case InformationStatus::kMissing:
      return Fail(context, "Failed to open gnuplot inf file for input");
    case InformationStatus::kNotRegular:
      return Fail(context, "Failed to open gnuplot inf file for input: " + files->information +
                               " is not a regular file");
    case InformationStatus::kMalformed:
      return Fail(context, "Malformed gnuplot inf file " + files->information);
    case InformationStatus::kOk:
      break;
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
  if (!script.Open(files->script, "w")) {
    return Fail(context, "Failed to open gnuplot gp file for output");
  }
  script.Write(text);
  if (!script.Close()) return Fail(context, "Failed to write gnuplot gp file");
  if (information.records > 0 && !context.Aborted()) LaunchPlot(context, files->script);
}

}  // namespace corvane
