// The spectrum files of a run, read back and computed independently for
// tests: the power of each bin summed directly in double precision (no FFT),
// and the file's calls and blocks as numbers.
#pragma once

#include <cmath>
#include <complex>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

#include "support/text_lines.h"

namespace corvane::testing {

// The powers of bins 0 .. min(M/2, 30) - 1 of the M-sample block at `start`
// of segment: the segment less its mean, zeros past its end, scaled by
// 10^(gainDb / 10), windowed by 1 - (0.42 + 0.5 cos + 0.08 cos), and
// |X_0 / M|^2, |X_j / (M / 2)|^2 with X_j = sum x_k exp(+2 pi i j k / M).
inline std::vector<double> ExpectedBlockPowers(const std::vector<double>& segment,
                                               std::size_t start, std::size_t m, double gainDb) {
  double mean = 0;
  for (const double v : segment) mean += v / static_cast<double>(segment.size());
  const double pi = std::numbers::pi;
  std::vector<double> x(m, 0.0), cosine(m), sine(m);
  for (std::size_t k = 0; k < m; ++k) {
    const double w = 1.0 - (0.42 + 0.5 * std::cos(2 * pi * k / (m - 1.0)) +
                            0.08 * std::cos(4 * pi * k / (m - 1.0)));
    if (start + k < segment.size())
      x[k] = (segment[start + k] - mean) * std::pow(10.0, gainDb / 10) * w;
    cosine[k] = std::cos(2 * pi * k / m);
    sine[k] = std::sin(2 * pi * k / m);
  }
  std::vector<double> powers;
  for (std::size_t j = 0; j < m / 2 && j < 30; ++j) {
    std::complex<double> sum = 0;
    for (std::size_t k = 0; k < m; ++k) {
      const std::size_t at = (j * k) % m;
      sum += x[k] * std::complex<double>(cosine[at], sine[at]);
    }
    powers.push_back(std::norm(sum / (j == 0 ? double(m) : m / 2.0)));
  }
  return powers;
}

struct SpectrumBlock {
  std::vector<double> perSecond, perHour, hoursPerCycle, power;
};

// One call's part of a spectrum file: its heading lines and its blocks.
struct SpectrumCall {
  std::string dataName;
  std::string dftLine;  // "DFT(M)Step(S)name"
  std::string label;    // empty when the call has none
  std::vector<SpectrumBlock> blocks;
};

inline std::vector<SpectrumCall> ReadSpectrumFile(const std::string& text) {
  const std::vector<std::string> lines = Lines(text);
  std::vector<SpectrumCall> calls;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    double f, perHour, hours, power;
    if (line.rfind("DFT(", 0) == 0 && i > 0) {
      calls.push_back({lines[i - 1], line, "", {}});
      // The smoothing line, then the label when there is one.
      if (i + 2 < lines.size() && !lines[i + 2].empty()) calls.back().label = lines[i + 2];
    } else if (line == "cyclePerSec\tcyclePerHr\thrPerCycle\tpower" && !calls.empty()) {
      calls.back().blocks.emplace_back();
    } else if (!calls.empty() && !calls.back().blocks.empty() &&
               std::sscanf(line.c_str(), "%lf\t%lf\t%lf\t%lf", &f, &perHour, &hours, &power) == 4) {
      SpectrumBlock& block = calls.back().blocks.back();
      block.perSecond.push_back(f);
      block.perHour.push_back(perHour);
      block.hoursPerCycle.push_back(hours);
      block.power.push_back(power);
    }
  }
  return calls;
}

}  // namespace corvane::testing
