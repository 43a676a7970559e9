#include "stats/echo_scan.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace corvane {
namespace {

// Windows computed side by side: the inner loop runs over them, so each
// window's sum still adds its terms in signature order.
constexpr std::size_t kLanes = 8;
// Windows between two checks of `stop` (and, for the correlation, between two
// fresh summations of the sliding window sums). A multiple of kLanes.
constexpr std::size_t kChunk = 1024;
// A set of values whose spread (standard deviation, or max - min) is at most
// this fraction of their magnitude is constant up to rounding.
constexpr double kRoundingSpread = 1e-12;
// A sliding variance below this fraction of the window's second moment
// (about the series mean) is beyond the precision of the sliding sums.
constexpr double kSlidingPrecision = 1e-10;

bool FlatSpread(double lo, double hi) {
  return hi - lo <= kRoundingSpread * std::max(std::fabs(lo), std::fabs(hi));
}

// True when q = L * sum (x - mean)^2 of a window of L values is zero up to
// rounding: shiftedSquares is the sum of (x - c)^2 for the scan's shift c,
// and rawMeanSquare the mean of x^2.
bool FlatVariance(double q, double length, double shiftedSquares, double rawMeanSquare) {
  return q <= kSlidingPrecision * length * shiftedSquares ||
         q <= kRoundingSpread * kRoundingSpread * length * length * rawMeanSquare;
}

// The series less `shift`, followed by kLanes zeros so that a group of
// windows may read past the last window without a bounds test.
std::vector<double> PaddedCopy(std::span<const double> series, double shift) {
  std::vector<double> copy(series.size() + kLanes, 0.0);
  for (std::size_t i = 0; i < series.size(); ++i) copy[i] = series[i] - shift;
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

  // The correlation does not change when a constant is taken off the series
  // or the signature; taking the series mean off keeps the sliding sums
  // small, and centring the signature keeps the cross sums exact enough.
  const double shift = Mean(series);
  const std::vector<double> shifted = PaddedCopy(series, shift);
  const double signatureMean = Mean(signature);
  std::vector<double> centred(length);
  double centredSum = 0.0, centredSquares = 0.0, shiftedSquares = 0.0, rawSquares = 0.0;
  for (std::size_t i = 0; i < length; ++i) {
    centred[i] = signature[i] - signatureMean;
    centredSum += centred[i];
    centredSquares += centred[i] * centred[i];
    shiftedSquares += (signature[i] - shift) * (signature[i] - shift);
    rawSquares += signature[i] * signature[i];
  }
  const double signatureQ = lengthD * centredSquares - centredSum * centredSum;
  if (FlatVariance(signatureQ, lengthD, shiftedSquares, rawSquares / lengthD)) {
    std::fill_n(output.begin(), count, 0.0);
    return count;
  }

  const double* s = shifted.data();
  const double* g = centred.data();
  for (std::size_t chunk = 0; chunk < count; chunk += kChunk) {
    if (stop && stop()) return chunk;
    const std::size_t chunkEnd = std::min(count, chunk + kChunk);
    double sum = 0.0, squares = 0.0;
    for (std::size_t i = chunk; i < chunk + length; ++i) {
      sum += s[i];
      squares += s[i] * s[i];
    }
    for (std::size_t first = chunk; first < chunkEnd; first += kLanes) {
      double cross[kLanes] = {};
      for (std::size_t i = 0; i < length; ++i) {
        const double gi = g[i];
        const double* window = s + first + i;
        for (std::size_t j = 0; j < kLanes; ++j) cross[j] += gi * window[j];
      }
      const std::size_t lanes = std::min(kLanes, chunkEnd - first);
      for (std::size_t j = 0; j < lanes; ++j) {
        const std::size_t k = first + j;
        if (k > chunk) {
          const double entering = s[k + length - 1];
          const double leaving = s[k - 1];
          sum += entering - leaving;
          squares += entering * entering - leaving * leaving;
        }
        const double q = lengthD * squares - sum * sum;
        const double rawMeanSquare = squares / lengthD + 2.0 * shift * sum / lengthD + shift * shift;
        if (FlatVariance(q, lengthD, squares, rawMeanSquare)) {
          output[k] = 0.0;
          continue;
        }
        const double numerator = lengthD * cross[j] - centredSum * sum;
        output[k] = std::clamp(numerator / std::sqrt(q * signatureQ), -1.0, 1.0);
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
  const std::vector<double> padded = PaddedCopy(series, 0.0);
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
