// What the event echo tests share: a drifting series like a low-pass egg
// variable, and a run whose series repeats the event's stretch later on.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "stats/event_echo.h"
#include "support/run_folders.h"
#include "support/text_lines.h"

namespace corvane::testing {

using Values = std::vector<double>;

// A slowly drifting, noisy series like a low-pass egg variable.
inline Values Drift(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> noise(0.0, 0.05);
  Values s(n);
  double level = 50.0;
  for (double& v : s) v = level += noise(rng) - 0.001 * (level - 50.0);
  return s;
}

inline Values Stretch(const Values& s, std::size_t b, std::size_t l) {
  return Values(s.begin() + b, s.begin() + b + l);
}

struct EchoFixture : ::testing::Test, RunFolders {
  static constexpr std::int64_t kStart = 1300000000;
  EggSampleTable table;
  CompositeSeries series;

  EchoFixture() {
    context.settings.startTime = kStart;
    context.settings.echoMethod = kEchoCorrelation;
    context.settings.eventEchoVariable = 5;
    table.resolution = 1;
  }
  // lpvar (and eggvar) drift with the event's stretch repeated, a little
  // weaker, at echoAt; cvar is a different series. The event lies at b.
  void UseSeries(std::size_t n, std::size_t b, int duration, std::size_t echoAt) {
    Values s = Drift(n, 1);
    for (std::size_t i = 0; i < std::size_t(duration / table.resolution) && echoAt + i < n; ++i) {
      s[echoAt + i] = 0.8 * s[b + i] + 0.2 * s[echoAt + i];
    }
    series.eggCount.assign(n, 20);
    series.lpvar = series.eggvar = series.cvar = s;
    for (std::size_t i = 0; i < n; ++i) series.cvar[i] += 0.01 * i * i;
    table.sampleCount = static_cast<int>(n);
    SetEvent(b, duration);
  }
  void SetEvent(std::int64_t index, int duration) {
    context.settings.eventTime = kStart + index * table.resolution;
    context.settings.eventDuration = duration;
  }
  std::vector<std::string> EchoLines() const { return Lines(ReadFile(Output("Quake_evcorr.dat"))); }
  std::string EventSpectra() const { return ReadFile(Output("Quake_event_dft.dat")); }
};

}  // namespace corvane::testing
