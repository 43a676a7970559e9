// Checks a run's request before the run reads or writes anything. Each
// returns the message that refuses the request, or nullopt when it is sound.
#pragma once

#include <optional>
#include <string>

#include "core/analysis_settings.h"

namespace corvane {

// The most records one sample may combine (one day of one-second records).
inline constexpr int kMaxResolution = 86400;

// The data name becomes a directory and file names and is written into
// gnuplot scripts: it must be a single, plain path component.
std::optional<std::string> DataNameProblem(const std::string& dataName);

// Resolution and smoothing settings that the reader and filters can work
// with.
std::optional<std::string> RunSettingsProblem(const AnalysisSettings& settings);

}  // namespace corvane
