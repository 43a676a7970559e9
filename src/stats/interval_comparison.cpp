#include "stats/interval_comparison.h"

#include <algorithm>
#include <cstdint>
#include <span>

namespace corvane {

std::optional<std::string> IntervalSettingsError(int interval1Start, int interval2Start,
                                                 int duration) {
  if (interval1Start < 0 || interval2Start < 0) {
    return std::string("The interval starts must not be negative");
  }
  if (duration < 2) return std::string("The interval duration must be at least 2 seconds");
  return std::nullopt;
}

std::variant<IntervalComparison, std::string> CompareSeriesIntervals(const CompositeSeries& series,
                                                                     int interval1Start,
                                                                     int interval2Start,
                                                                     int duration) {
  if (auto error = IntervalSettingsError(interval1Start, interval2Start, duration)) {
    return *error;
  }
  // Every compared array holds one value per sample; the shortest bounds both
  // intervals so that no array is read past its end.
  std::size_t shortest = SIZE_MAX;
  for (const ComparedVariable& variable : kComparedVariables) {
    shortest = std::min(shortest, (series.*(variable.values)).size());
  }
  const auto samples = static_cast<std::int64_t>(shortest);
  if (std::int64_t{interval1Start} + duration > samples) {
    return std::string("The first interval extends past the end of data");
  }
  if (std::int64_t{interval2Start} + duration > samples) {
    return std::string("The second interval extends past the end of data");
  }
  const auto length = static_cast<std::size_t>(duration);
  IntervalComparison comparison;
  comparison.duration = duration;
  for (std::size_t v = 0; v < kComparedVariables.size(); ++v) {
    const std::vector<double>& values = series.*(kComparedVariables[v].values);
    const std::span<const double> all(values);
    comparison.tests[v] = RunTTest(all.subspan(static_cast<std::size_t>(interval1Start), length),
                                   all.subspan(static_cast<std::size_t>(interval2Start), length));
  }
  return comparison;
}

}  // namespace corvane
