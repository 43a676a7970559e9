// The line that names a run's smoothing filter in the information file and
// the summary tables: "Exponential smoothing window - Coeff= %f\n",
// "Rectangular smoothing window - width= %d\n\n" or
// "Triangular smoothing window - width= %d\n\n".
#pragma once

#include <string>

#include "core/analysis_settings.h"

namespace corvane {

std::string SmoothingWindowLine(const AnalysisSettings& settings);

}  // namespace corvane
