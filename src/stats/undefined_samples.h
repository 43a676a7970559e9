// Undefined samples (NaN entries of a raw series, see composite_series.h) in
// the analyses that need a value at every sample: the DFT and the echo scans
// read a copy in which each undefined sample holds the mean of the defined
// ones, so a gap counts as "average" instead of spoiling every sum after it.
#pragma once

#include <span>
#include <vector>

namespace corvane {

// A copy of values with every NaN replaced by the mean of the other values
// (0 when no value is defined). A series without NaN is copied unchanged.
std::vector<double> WithUndefinedAsMean(std::span<const double> values);

}  // namespace corvane
