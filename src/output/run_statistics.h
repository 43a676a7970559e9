// The run values that a run's report carries to the results table, taken
// from the final values that "Write results" kept in the series.
#pragma once

#include "core/run_report.h"
#include "stats/composite_series.h"

namespace corvane {

// Eggs, samples and the final Stouffer and covariance chi-squares with their
// exact tails and the Stouffer Z. Throws what the chi-square operations
// throw (never for the values a run produces).
RunStatistics RunStatisticsOf(const CompositeSeries& series, int samples);

}  // namespace corvane
