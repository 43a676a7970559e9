// "Compute statistics": the per-sample composite statistics of a run, from
// the EggSampleTable into the CompositeSeries, followed by the smoothing step
// (low_pass_variables.h).
//
// ComputeStatistics releases the series of an earlier computation, counts the
// usable eggs (none: RunError "No useable eggs" and the run stops), sets the
// job stage to 0, makes one pass over the samples (testing the abort flag
// before each), advances the job stage, posts "Smoothing data" and smooths.
// cvar sums eggvar less the fair variance N / 4 of the table's trial size N.
// Samples without a valid egg, and covar with one valid egg, hold NaN (see
// composite_series.h); cvar carries its last value over a sample without a
// valid egg, and meanMaxAbsDev averages the samples that have one.
#pragma once

#include "core/run_context.h"
#include "input/egg_sample_table.h"
#include "stats/composite_series.h"

namespace corvane {

void ComputeStatistics(RunContext& context, const EggSampleTable& table, CompositeSeries& series);

// (sum of v^2 - (sum of v)^2 / count) / (count - 1) for count > 1, else 0.
double SampleVariance(const double* values, int count);

}  // namespace corvane
