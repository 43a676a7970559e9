#include "app/request_values.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace corvane {

namespace {

constexpr std::array<DisplayVariable, kDisplayVariableCount> kDisplayVariables = {{
    {"Stouffer_z", 2, "Stouffer_Z Deviation"},
    {"StouffProb", 4, "Stouffer_Z Probability"},
    {"LP_Deviation", 5, "LP-filtered mean deviation"},
    {"Abs(LP_Deviation)", 6, "Absolute LP-filtered mean deviation"},
    {"Variance", 7, "Variance"},
    {"LP_Variance", 8, "LP-filtered egg variance"},
    {"LP_AbsDeviation", 9, "LP-filtered absolute deviation"},
    {"LP_Maxdev", 10, "LP-filtered maximum absolute deviation"},
    {"CumVariance", 11, "Cumulative deviation of variance"},
    {"EventEcho", 12, "Event correlation"},
    {"Covar", 13, "Egg Covariance"},
    {"CovarProb", 14, "Covar Probability"},
}};

}  // namespace

int ReducedDftSize(int size) {
  int value = 2;
  while (value <= size && value < 100000) value *= 2;
  return value / 2;
}

int EventDurationSeconds(double hours) {
  const double seconds = hours * 3600.0;
  const double nearest = std::nearbyint(seconds);
  // An hour value typed in decimal is rarely exact in binary: 1.13 h times
  // 3600 gives 4067.9999999999995. A product within a few units of the last
  // place of a whole second is that second.
  const double tolerance = 1e-9 * std::max(1.0, std::fabs(seconds));
  const double whole = std::fabs(seconds - nearest) <= tolerance ? nearest : std::trunc(seconds);
  return static_cast<int>(whole);
}

ProgressReading ProgressFromStage(int stage, double inputFraction) {
  if (stage == 5) return {0, true};
  int percent = stage * 20;
  if (stage == 1 && inputFraction > 0.0) {
    percent += static_cast<int>(std::lround(std::min(inputFraction, 1.0) * 20.0));
  }
  return {std::clamp(percent, 0, 100), false};
}

int NextProgress(int shown, const ProgressReading& reading, bool running) {
  return running && !reading.stop ? std::max(shown, reading.percent) : reading.percent;
}

const DisplayVariable& DisplayVariableAt(int index) {
  return kDisplayVariables.at(static_cast<size_t>(index));
}

}  // namespace corvane
