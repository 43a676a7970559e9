#include "stats/smoothing_filters.h"

#include <algorithm>
#include <cmath>

namespace corvane {
namespace {

bool Defined(double value) { return !std::isnan(value); }

// Replaces NaN entries of values[0 ... count - 1] by the last defined value
// before them; leading NaN entries take the first defined value, and a range
// without any defined value becomes 0.
void CarryOverGaps(double* values, int count) {
  int first = 0;
  while (first < count && !Defined(values[first])) ++first;
  const double lead = first < count ? values[first] : 0.0;
  for (int i = 0; i < first; ++i) values[i] = lead;
  for (int i = first + 1; i < count; ++i) {
    if (!Defined(values[i])) values[i] = values[i - 1];
  }
}

// Holds the full-window values out[first ... last] flat over the head and
// the tail of the series, after bridging undefined windows.
void CompleteWindowOutput(double* out, int n, int first, int last) {
  CarryOverGaps(out + first, last - first + 1);
  for (int i = 0; i < first; ++i) out[i] = out[first];
  for (int i = last + 1; i < n; ++i) out[i] = out[last];
}

}  // namespace

void ExponentialFilter(double a, double seed, const double* in, double* out, int n) {
  if (n <= 0) return;
  const double b = 1.0 - a;
  out[0] = seed;
  for (int i = 1; i < n; ++i) {
    out[i] = Defined(in[i]) ? a * in[i] + b * out[i - 1] : out[i - 1];
  }
}

std::int64_t RectangleSpan(int window) {
  return window % 2 == 0 ? std::int64_t{window} + 1 : std::int64_t{window};
}

std::int64_t TriangleSpan(int window) {
  return window % 2 == 0 ? std::int64_t{window} : std::int64_t{window} + 1;
}

bool RectangleFilter(int window, const double* in, double* out, int n) {
  if (window < 0 || RectangleSpan(window) > n) return false;
  const int span = static_cast<int>(RectangleSpan(window));
  const int h = span / 2;
  // The running sum over the defined entries of the window, and their count.
  double sum = 0.0;
  int defined = 0;
  for (int k = 0; k < span; ++k) {
    if (Defined(in[k])) {
      sum += in[k];
      ++defined;
    }
  }
  auto mean = [&] { return defined > 0 ? sum / defined : NAN; };
  out[h] = mean();
  for (int i = h + 1; i <= n - h - 1; ++i) {
    const double entering = in[i + h];
    const double leaving = in[i - h - 1];
    defined += (Defined(entering) ? 1 : 0) - (Defined(leaving) ? 1 : 0);
    sum = sum + (Defined(entering) ? entering : 0.0) - (Defined(leaving) ? leaving : 0.0);
    out[i] = mean();
  }
  CompleteWindowOutput(out, n, h, n - h - 1);
  return true;
}

std::vector<double> TriangleWeights(std::int64_t span) {
  if (span < 2 || span % 2 != 0) return {};
  const auto h = static_cast<size_t>(span / 2);
  std::vector<double> weights(static_cast<size_t>(span));
  const double total = static_cast<double>(h) * static_cast<double>(h + 1);
  for (size_t j = 0; j < h; ++j) {
    weights[j] = static_cast<double>(j + 1) / total;
    weights[weights.size() - 1 - j] = weights[j];
  }
  return weights;
}

bool TriangleFilter(int window, const double* in, double* out, int n) {
  if (window < 2 || TriangleSpan(window) > n) return false;
  const int span = static_cast<int>(TriangleSpan(window));
  const int h = span / 2;
  const std::vector<double> weights = TriangleWeights(span);
  // undefinedBefore[i]: NaN entries among in[0 ... i - 1], so that a window
  // without any takes the plain weighted sum.
  std::vector<int> undefinedBefore(static_cast<size_t>(n) + 1, 0);
  for (int i = 0; i < n; ++i) {
    undefinedBefore[i + 1] = undefinedBefore[i] + (Defined(in[i]) ? 0 : 1);
  }
  // The window starting at s (in[s ... s + 2h - 1]) gives out[s + h]. The
  // last sample starts no window of its own unless the window spans all data.
  const int windows = std::max(1, n - span);
  for (int start = 0; start < windows; ++start) {
    const double* window_in = in + start;
    double sum = 0.0;
    if (undefinedBefore[start + span] == undefinedBefore[start]) {
      for (int k = 0; k < span; ++k) sum += weights[k] * window_in[k];
      out[start + h] = sum;
      continue;
    }
    double weight = 0.0;
    for (int k = 0; k < span; ++k) {
      if (!Defined(window_in[k])) continue;
      sum += weights[k] * window_in[k];
      weight += weights[k];
    }
    out[start + h] = weight > 0.0 ? sum / weight : NAN;
  }
  CompleteWindowOutput(out, n, h, h + windows - 1);
  return true;
}

double RemoveMean(double* out, const double* in, int n) {
  if (n <= 0) return 0.0;
  double sum = 0.0;
  for (int i = 0; i < n; ++i) sum += in[i];
  const double mean = sum / n;
  for (int i = 0; i < n; ++i) out[i] = in[i] - mean;
  return mean;
}

}  // namespace corvane
