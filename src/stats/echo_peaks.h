// The peaks of a smoothed echo series, and the strongest echoes after the
// event.
//
// Sample i (1 <= i <= K - 2) is a peak when smoothed[i - 1] < smoothed[i] >
// smoothed[i + 1]. A peak at i > eventEnd lies after the event; of those, the
// one with the largest raw value above -1 is the maximum, and the (up to)
// three largest raw values over all such peaks are averaged.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace corvane {

struct EchoPeak {
  std::int64_t index = 0;
  double magnitude = 0.0;  // the raw (unsmoothed) echo value at the peak
};

struct EchoPeaks {
  std::vector<EchoPeak> peaks;  // every peak, in order of index
  // The strongest peak after the event, when one has a value above -1.
  bool hasMaximum = false;
  EchoPeak maximum{0, -1.0};
  // How many of the highest post-event peaks were averaged (0 to 3; 0 when
  // there is no maximum), and their mean (-1 when none).
  int topCount = 0;
  double topMean = -1.0;
};

// smoothed and raw have the same length K.
EchoPeaks FindEchoPeaks(std::span<const double> smoothed, std::span<const double> raw,
                        std::int64_t eventEnd);

}  // namespace corvane
