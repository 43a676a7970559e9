#include "app/request_checks.h"

#include <cmath>

#include "app/request_values.h"
#include "core/c_format.h"
#include "input/egg_file_reader.h"

namespace corvane {

namespace {

constexpr double kMaxEventHours = 596523;  // the longest duration whose seconds fit an int

Refusal OutOfRange(const char* what, long long value, long long low, long long high) {
  return CFormat("%s must lie between %lld and %lld; %lld cannot be used.", what, low, high, value);
}

}  // namespace

Refusal CheckResolution(int resolution) {
  if (resolution < 1 || resolution > kMaxResolution) {
    return OutOfRange("The resolution (records per sample)", resolution, 1, kMaxResolution);
  }
  return std::nullopt;
}

Refusal CheckEchoMethod(int method) {
  if (method < 0 || method > 2) {
    return CFormat("Unknown event echo method %d (0 none, 1 correlation, 2 Euclidean distance).",
                   method);
  }
  return std::nullopt;
}

Refusal CheckDisplayVariable(int index) {
  if (index < 0 || index >= kDisplayVariableCount) {
    return OutOfRange("The display variable", index, 0, kDisplayVariableCount - 1);
  }
  return std::nullopt;
}

Refusal CheckEventDuration(double hours) {
  if (!std::isfinite(hours) || hours < 0.0 || hours > kMaxEventHours) {
    return CFormat("The event duration must lie between 0 and %.0f hours; %g cannot be used.",
                   kMaxEventHours, hours);
  }
  return std::nullopt;
}

}  // namespace corvane
