#include "stats/echo_scan.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace corvane {
namespace {

// Windows computed side by side: the inner loop runs over them, so each
// window's sum still adds its terms in signature order.
constexpr std::size_t kLanes = 8;
// Windows between two checks of `stop`. A multiple of kLanes.
constexpr std::size_t kChunk = 1024;
// A set of values whose spread (standard deviation, or max - min) is at most
// this fraction of their magnitude is constant up to rounding.
constexpr double kRoundingSpread = 1e-12;

bool FlatSpread(double lo, double hi) {
  return hi - lo <= kRoundingSpread * std::max(std::fabs(lo), std::fabs(hi));
}

// True when q = L * sum (x - mean)^2 of L values is zero up to rounding;
// rawMeanSquare is the mean of x^2.
bool FlatVariance(double q, double length, double rawMeanSquare) {
  return q <= kRoundingSpread * kRoundingSpread * length * length * rawMeanSquare;
}

// The series followed by kLanes zeros, so that a group of windows may read
// past the last window without a bounds test.
std::vector<double> PaddedCopy(std::span<const double> series) {
  std::vector<double> copy(series.size() + kLanes, 0.0);
  std::copy(series.begin(), series.end(), copy.begin());
  return copy;
}

double Mean(std::span<const double> values) {
  double sum = 0.0;
  for (const double v : values) sum += v;
  return sum / static_cast<double>(values.size());
}

// The minimum and maximum of every window of `length` values of x, indexed
// by the window's first sample (monotonic queues, O(n)).
void WindowExtremes(std::span<const double> x, std::size_t length, std::vector<double>& lows,
                    std::vector<double>& highs) {
  const std::size_t count = x.size() - length + 1;
  lows.assign(count, 0.0);
  highs.assign(count, 0.0);
  std::vector<std::size_t> minQueue(x.size());
  std::vector<std::size_t> maxQueue(x.size());
  std::size_t minHead = 0, minTail = 0, maxHead = 0, maxTail = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    while (minTail > minHead && x[minQueue[minTail - 1]] >= x[i]) --minTail;
    minQueue[minTail++] = i;
    while (maxTail > maxHead && x[maxQueue[maxTail - 1]] <= x[i]) --maxTail;
    maxQueue[maxTail++] = i;
    if (i + 1 < length) continue;
    const std::size_t first = i + 1 - length;
    while (minQueue[minHead] < first) ++minHead;
    while (maxQueue[maxHead] < first) ++maxHead;
    lows[first] = x[minQueue[minHead]];
    highs[first] = x[maxQueue[maxHead]];
  }
}

}  // namespace

std::size_t EchoScanCount(std::size_t signatureLength, std::size_t seriesLength) {
  if (signatureLength == 0 || seriesLength < signatureLength + 2) return 0;
  return seriesLength - signatureLength - 1;
}

std::size_t CorrelationScan(std::span<const double> signature, std::span<const double> series,
                            std::span<double> output, const std::function<bool()>& stop) {
  const std::size_t length = signature.size();
  const std::size_t count = EchoScanCount(length, series.size());
  if (count == 0) return 0;
  const double lengthD = static_cast<double>(length);

  // The correlation does not change when a constant is taken off the window
  // or the signature. Each window's sums are taken about its own first
  // sample, and the signature is centred, so that no sum loses the window's
  // variance to its level.
  const double signatureMean = Mean(signature);
  std::vector<double> centred(length);
  double centredSum = 0.0, anchoredSum = 0.0, anchoredSquares = 0.0, rawSquares = 0.0;
  for (std::size_t i = 0; i < length; ++i) {
    centred[i] = signature[i] - signatureMean;
    centredSum += centred[i];
    const double d = signature[i] - signature[0];
    anchoredSum += d;
    anchoredSquares += d * d;
    rawSquares += signature[i] * signature[i];
  }
  const double signatureQ = lengthD * anchoredSquares - anchoredSum * anchoredSum;
  if (FlatVariance(signatureQ, lengthD, rawSquares / lengthD)) {
    std::fill_n(output.begin(), count, 0.0);
    return count;
  }

  const std::vector<double> padded = PaddedCopy(series);
  const double* s = padded.data();
  const double* g = centred.data();
  for (std::size_t chunk = 0; chunk < count; chunk += kChunk) {
    if (stop && stop()) return chunk;
    const std::size_t chunkEnd = std::min(count, chunk + kChunk);
    for (std::size_t first = chunk; first < chunkEnd; first += kLanes) {
      double anchor[kLanes], cross[kLanes] = {}, sum[kLanes] = {}, squares[kLanes] = {};
      for (std::size_t j = 0; j < kLanes; ++j) anchor[j] = s[first + j];
      for (std::size_t i = 0; i < length; ++i) {
        const double gi = g[i];
        const double* window = s + first + i;
#pragma GCC unroll 8
        for (std::size_t j = 0; j < kLanes; ++j) {
          const double d = window[j] - anchor[j];
          cross[j] += gi * d;
          sum[j] += d;
          squares[j] += d * d;
        }
      }
      const std::size_t lanes = std::min(kLanes, chunkEnd - first);
      for (std::size_t j = 0; j < lanes; ++j) {
        const double q = lengthD * squares[j] - sum[j] * sum[j];
        const double rawMeanSquare =
            anchor[j] * anchor[j] + 2.0 * anchor[j] * sum[j] / lengthD + squares[j] / lengthD;
        if (FlatVariance(q, lengthD, rawMeanSquare)) {
          output[first + j] = 0.0;
          continue;
        }
        const double numerator = lengthD * cross[j] - centredSum * sum[j];
        output[first + j] = std::clamp(numerator / std::sqrt(q * signatureQ), -1.0, 1.0);
      }
    }
  }
  return count;
}

std::size_t EuclideanScan(std::span<const double> signature, std::span<const double> series,
                          std::span<double> output, const std::function<bool()>& stop) {
  const std::size_t length = signature.size();
  const std::size_t count = EchoScanCount(length, series.size());
  if (count == 0) return 0;
  const double lengthD = static_cast<double>(length);

  const auto [lowest, highest] = std::minmax_element(signature.begin(), signature.end());
  const double signatureLow = *lowest;
  const double signatureHigh = *highest;
  if (FlatSpread(signatureLow, signatureHigh)) {
    std::fill_n(output.begin(), count, 0.0);
    return count;
  }
  std::vector<double> normalised(length);
  for (std::size_t i = 0; i < length; ++i) {
    normalised[i] = (signature[i] - signatureLow) / (signatureHigh - signatureLow);
  }

  std::vector<double> lows, highs;
  WindowExtremes(series, length, lows, highs);
  const std::vector<double> padded = PaddedCopy(series);
  const double* g = normalised.data();

  for (std::size_t chunk = 0; chunk < count; chunk += kChunk) {
    if (stop && stop()) return chunk;
    const std::size_t chunkEnd = std::min(count, chunk + kChunk);
    for (std::size_t first = chunk; first < chunkEnd; first += kLanes) {
      // Value k compares with the window that starts at sample k + 1.
      double low[kLanes], range[kLanes], distance[kLanes] = {};
      bool flat[kLanes];
      for (std::size_t j = 0; j < kLanes; ++j) {
        const std::size_t start = std::min(first + j, count - 1) + 1;
        flat[j] = FlatSpread(lows[start], highs[start]);
        low[j] = lows[start];
        range[j] = flat[j] ? 1.0 : highs[start] - lows[start];
      }
      for (std::size_t i = 0; i < length; ++i) {
        const double gi = g[i];
        const double* window = padded.data() + first + 1 + i;
#pragma GCC unroll 8
        for (std::size_t j = 0; j < kLanes; ++j) {
          const double d = gi - (window[j] - low[j]) / range[j];
          distance[j] += d * d;
        }
      }
      const std::size_t lanes = std::min(kLanes, chunkEnd - first);
      for (std::size_t j = 0; j < lanes; ++j) {
        output[first + j] = flat[j] ? 0.0 : 1.0 - std::sqrt(distance[j] / lengthD);
      }
    }
  }
  return count;
}

}  // namespace corvane
