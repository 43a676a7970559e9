// Checks of a run's request that the job makes before the run reads or
// writes anything. Returns the message that refuses the request, or nullopt
// when the request is sound.
#pragma once

#include <optional>
#include <string>

#include "core/analysis_settings.h"

namespace corvane {

// Data name, the egg subgroup file, resolution and smoothing settings; the DFT size when spectra
// are asked for and the intervals when they are to be compared.
std::optional<std::string> RunSettingsProblem(const AnalysisSettings& settings);

}  // namespace corvane
