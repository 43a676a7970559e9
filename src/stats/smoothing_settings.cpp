#include "stats/smoothing_settings.h"

#include <cstdint>

#include "core/analysis_settings.h"
#include "core/c_format.h"
#include "stats/smoothing_filters.h"

namespace corvane {

std::optional<std::string> SmoothingSettingsError(int mode, int window, double coefficient) {
  switch (mode) {
    case kExponential:
      if (!(coefficient >= 0.0 && coefficient <= 1.0)) {
        return std::string("The exponential smoothing coefficient must lie between 0 and 1");
      }
      return std::nullopt;
    case kRectangle:
      if (window < 0) return std::string("The rectangle smoothing window must not be negative");
      return std::nullopt;
    case kTriangle:
      if (window < 2) return std::string("The triangle smoothing window must be at least 2");
      return std::nullopt;
    default:
      return CFormat("Unknown smoothing mode %d", mode);
  }
}

std::optional<std::string> SmoothingWindowLengthError(int mode, int window, int samples) {
  std::int64_t span = 0;
  if (mode == kRectangle) {
    span = RectangleSpan(window);
  } else if (mode == kTriangle) {
    span = TriangleSpan(window);
  } else {
    return std::nullopt;
  }
  if (span <= samples) return std::nullopt;
  if (span == window) {
    return CFormat("The smoothing window of %d samples is longer than the data (%d samples)",
                   window, samples);
  }
  return CFormat("The smoothing window of %d (%lld samples) is longer than the data (%d samples)",
                 window, static_cast<long long>(span), samples);
}

}  // namespace corvane
