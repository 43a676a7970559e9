#include "stats/echo_peaks.h"

#include <algorithm>

namespace corvane {

EchoPeaks FindEchoPeaks(std::span<const double> smoothed, std::span<const double> raw,
                        std::int64_t eventEnd) {
  EchoPeaks result;
  // The three largest post-event values so far, largest first.
  double top[3] = {};
  int topFilled = 0;
  const auto count = static_cast<std::int64_t>(std::min(smoothed.size(), raw.size()));
  for (std::int64_t i = 1; i + 1 < count; ++i) {
    const auto at = static_cast<std::size_t>(i);
    if (!(smoothed[at - 1] < smoothed[at] && smoothed[at] > smoothed[at + 1])) continue;
    const double value = raw[at];
    result.peaks.push_back({i, value});
    if (i <= eventEnd) continue;
    if (value > result.maximum.magnitude) {
      result.maximum = {i, value};
      result.hasMaximum = true;
    }
    int place = topFilled < 3 ? topFilled++ : 3;
    while (place > 0 && top[place - 1] < value) {
      if (place < 3) top[place] = top[place - 1];
      --place;
    }
    if (place < 3) top[place] = value;
  }
  if (result.hasMaximum) {
    result.topCount = topFilled;
    double sum = 0.0;
    for (int k = 0; k < topFilled; ++k) sum += top[k];
    result.topMean = sum / topFilled;
  }
  return result;
}

}  // namespace corvane
