#include "job/run_checks.h"

#include "core/c_format.h"

namespace corvane {

std::optional<std::string> DataNameProblem(const std::string& dataName) {
  if (dataName.empty()) return std::string("Data name not specified");
  bool plain = dataName != "." && dataName.find("..") == std::string::npos;
  for (const char c : dataName) {
    const auto code = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || c == '"' || c == '\'' || code < 0x20 || code == 0x7f) {
      plain = false;
    }
  }
  if (plain) return std::nullopt;
  return std::string(
      "The data name must not contain a path separator, \"..\", a quote or a control character");
}

std::optional<std::string> RunSettingsProblem(const AnalysisSettings& settings) {
  if (settings.resolution < 1 || settings.resolution > kMaxResolution) {
    return CFormat("The resolution must be between 1 and %d records per sample (it is %d)",
                   kMaxResolution, settings.resolution);
  }
  return std::nullopt;
}

}  // namespace corvane
