#include "job/run_checks.h"

#include "core/c_format.h"
#include "core/data_name.h"
#include "input/egg_file_reader.h"
#include "stats/dft_files.h"
#include "stats/interval_comparison.h"
#include "stats/smoothing_settings.h"

namespace corvane {

std::optional<std::string> RunSettingsProblem(const AnalysisSettings& settings) {
  if (auto problem = DataNameError(settings.dataName)) return problem;
  if (!settings.eggSubgroupError.empty()) return settings.eggSubgroupError;
  if (settings.resolution < 1 || settings.resolution > kMaxResolution) {
    return CFormat("Resolution %d is outside the allowed range 1 to %d", settings.resolution,
                   kMaxResolution);
  }
  if (settings.dft) {
    if (auto problem = DftSizeError(settings.dftSize)) return problem;
  }
  if (settings.compareIntervals) {
    if (auto problem = IntervalSettingsError(settings.interval1Start, settings.interval2Start,
                                             settings.intervalDuration)) {
      return problem;
    }
  }
  return SmoothingSettingsError(settings.smoothingMode, settings.smoothingWindow,
                                settings.expCoefficient);
}

}  // namespace corvane
