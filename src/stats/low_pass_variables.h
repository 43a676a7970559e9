// The smoothing step of "Compute statistics": fills the filtered variables
// lpdev, alpdev, lpadev, lpvar and lpmax of a CompositeSeries from meanDev,
// meanAbsDev, eggvar and maxAbsDev with the run's smoothing settings.
//
// Exponential (mode 0) always runs, seeded with 0, 0, 5.63, the series'
// fairVariance and meanMaxAbsDev. Rectangle and triangle (modes 1, 2) do nothing once the run
// has been stopped. Settings that SmoothingSettingsError refuses, or a window
// longer than the data, are reported through RunError and stop the run.
// alpdev is |lpdev| in every mode. The filtered arrays are allocated afresh
// (n entries each) and never hold NaN.
#pragma once

#include "core/run_context.h"
#include "stats/composite_series.h"

namespace corvane {

void ComputeLowPassVariables(RunContext& context, CompositeSeries& series, double meanMaxAbsDev);

}  // namespace corvane
