#include "output/smoothing_line.h"

#include "core/c_format.h"

namespace corvane {

std::string SmoothingWindowLine(const AnalysisSettings& settings) {
  switch (settings.smoothingMode) {
    case kRectangle:
      return CFormat("Rectangular smoothing window - width= %d\n\n", settings.smoothingWindow);
    case kTriangle:
      return CFormat("Triangular smoothing window - width= %d\n\n", settings.smoothingWindow);
    case kExponential:
      break;
  }
  return CFormat("Exponential smoothing window - Coeff= %f\n", settings.expCoefficient);
}

}  // namespace corvane
