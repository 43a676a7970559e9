#include "output/plot_files.h"

#include <filesystem>
#include <system_error>

#include "core/paths.h"

namespace corvane {

std::optional<PlotFiles> PlotFilesOf(const AnalysisSettings& settings) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(settings.outputDirectory, error);
  if (error || settings.outputDirectory.empty()) return std::nullopt;
  PlotFiles files;
  files.directory = WithSeparator(absolute.string());
  const std::string stem = files.directory + settings.dataName;
  files.script = stem + ".gp";
  files.data = stem + ".dat";
  files.information = stem + ".inf";
  return files;
}

}  // namespace corvane
