// Where the plot files of a run lie: the run's output directory as an
// absolute path (ending with a separator), and the script "name.gp", data
// file "name.dat" and information file "name.inf" in it.
//
// Results are written and named by absolute path; the process's current
// directory is never changed. A relative output directory is taken relative
// to the current directory; PlotFilesOf returns nullopt when that cannot be
// determined.
#pragma once

#include <optional>
#include <string>

#include "core/analysis_settings.h"

namespace corvane {

struct PlotFiles {
  std::string directory;
  std::string script;
  std::string data;
  std::string information;
};

std::optional<PlotFiles> PlotFilesOf(const AnalysisSettings& settings);

}  // namespace corvane
