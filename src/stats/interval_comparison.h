// The interval comparison: six per-sample variables of a run, each compared
// between two stretches of equal length by a two-sample t-test.
//
// This is the computation only; the statistics table and the batch summary
// line that record it are written by output/summary_tables.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "stats/composite_series.h"
#include "stats/t_test.h"

namespace corvane {

// A reason to refuse the interval settings, or nullopt when they can be run:
// starts must not be negative and the duration must be at least 2 samples
// (the variances need two values). The form checks before a run; the run
// checks again.
std::optional<std::string> IntervalSettingsError(int interval1Start, int interval2Start,
                                                 int duration);

// The compared variables, in the order of the tables.
struct ComparedVariable {
  const char* name;
  std::vector<double> CompositeSeries::*values;
};
inline constexpr std::array<ComparedVariable, 6> kComparedVariables = {{
    {"cvar", &CompositeSeries::cvar},
    {"eggvar", &CompositeSeries::eggvar},
    {"lpvar", &CompositeSeries::lpvar},
    {"alpdev", &CompositeSeries::alpdev},
    {"lpadev", &CompositeSeries::lpadev},
    {"lpmax", &CompositeSeries::lpmax},
}};

// One t-test per compared variable, in the order of kComparedVariables.
struct IntervalComparison {
  int duration = 0;  // L, the samples of each interval
  std::array<TTestResult, kComparedVariables.size()> tests;
};

// Compares samples [i1, i1 + L) with [i2, i2 + L) of every compared
// variable. Returns the message that refuses the request instead when the
// settings are invalid or an interval extends past the end of the data (an
// interval ending exactly on the last sample is accepted).
std::variant<IntervalComparison, std::string> CompareSeriesIntervals(const CompositeSeries& series,
                                                                     int interval1Start,
                                                                     int interval2Start,
                                                                     int duration);

}  // namespace corvane
