#include "job/run_checks.h"

#include "core/c_format.h"
#include "core/data_name.h"
#include "stats/smoothing_settings.h"

namespace corvane {

std::optional<std::string> RunSettingsProblem(const AnalysisSettings& settings) {
  if (auto problem = DataNameError(settings.dataName)) return problem;
  if (settings.resolution < 1 || settings.resolution > kMaxResolution) {
    return CFormat("The resolution must be between 1 and %d records per sample (it is %d)",
                   kMaxResolution, settings.resolution);
  }
  return SmoothingSettingsError(settings.smoothingMode, settings.smoothingWindow,
                                settings.expCoefficient);
}

}  // namespace corvane
