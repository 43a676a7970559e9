// The two echo scans: a signature slid along a series, one similarity value
// per position.
//
// Both give K = n - L - 1 values for a signature of L samples over a series
// of n samples (none when n - L < 2):
//  - CorrelationScan: e[k] is the Pearson correlation of the signature with
//    series[k .. k + L - 1];
//  - EuclideanScan: the signature and series[k + 1 .. k + L] are each
//    normalised to [0, 1] by their minimum and maximum, and
//    e[k] = 1 - sqrt(sum of squared differences / L).
// A window or signature that is constant up to rounding has no defined
// similarity and gives 0. Both cost O(n L); the inner loops are branch-free
// over contiguous arrays so that the compiler vectorises them.
#pragma once

#include <cstddef>
#include <functional>
#include <span>

namespace corvane {

// The number of values a scan writes.
std::size_t EchoScanCount(std::size_t signatureLength, std::size_t seriesLength);

// Both scans write EchoScanCount values to output (which must hold at least
// that many) and return that count. `stop`, when given, is asked between
// groups of positions; when it returns true the scan ends early and returns
// the number of values written so far.
std::size_t CorrelationScan(std::span<const double> signature, std::span<const double> series,
                            std::span<double> output, const std::function<bool()>& stop = {});
std::size_t EuclideanScan(std::span<const double> signature, std::span<const double> series,
                          std::span<double> output, const std::function<bool()>& stop = {});

}  // namespace corvane
