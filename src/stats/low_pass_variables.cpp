#include "stats/low_pass_variables.h"

#include <cmath>
#include <optional>
#include <string>

#include "stats/smoothing_filters.h"
#include "stats/smoothing_settings.h"

namespace corvane {
namespace {

// The mean absolute deviation of a fair 200-bit trial sum: the seed of
// lpadev, whatever the trial size.
constexpr double kFairMeanAbsDev = 5.63;

void Fail(RunContext& context, const std::string& message) {
  context.RunError(message);
  context.Abort();
}

}  // namespace

void ComputeLowPassVariables(RunContext& context, CompositeSeries& series, double meanMaxAbsDev) {
  const int n = static_cast<int>(series.size());
  const auto size = static_cast<size_t>(n);
  series.lpdev.assign(size, 0.0);
  series.alpdev.assign(size, 0.0);
  series.lpadev.assign(size, 0.0);
  series.lpvar.assign(size, 0.0);
  series.lpmax.assign(size, 0.0);

  const AnalysisSettings& settings = context.settings;
  const int mode = settings.smoothingMode;
  const int window = settings.smoothingWindow;
  if (std::optional<std::string> error =
          SmoothingSettingsError(mode, window, settings.expCoefficient)) {
    Fail(context, *error);
    return;
  }

  if (mode == kExponential) {
    const double a = settings.expCoefficient;
    ExponentialFilter(a, 0.0, series.meanDev.data(), series.lpdev.data(), n);
    ExponentialFilter(a, kFairMeanAbsDev, series.meanAbsDev.data(), series.lpadev.data(), n);
    ExponentialFilter(a, series.fairVariance, series.eggvar.data(), series.lpvar.data(), n);
    ExponentialFilter(a, meanMaxAbsDev, series.maxAbsDev.data(), series.lpmax.data(), n);
  } else {
    if (context.Aborted()) return;
    if (std::optional<std::string> error = SmoothingWindowLengthError(mode, window, n)) {
      Fail(context, *error);
      return;
    }
    const auto filter = mode == kRectangle ? RectangleFilter : TriangleFilter;
    filter(window, series.meanAbsDev.data(), series.lpadev.data(), n);
    filter(window, series.meanDev.data(), series.lpdev.data(), n);
    filter(window, series.eggvar.data(), series.lpvar.data(), n);
    filter(window, series.maxAbsDev.data(), series.lpmax.data(), n);
  }
  for (size_t i = 0; i < size; ++i) series.alpdev[i] = std::fabs(series.lpdev[i]);
}

}  // namespace corvane
