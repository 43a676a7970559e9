#include "cli/chisq_command.h"

#include <optional>

#include "app/chi_square_calculator.h"
#include "app/field_exchange.h"
#include "cli/cli_options.h"
#include "core/c_format.h"

namespace corvane {

int RunChisqCommand(const std::string& deviation, const std::string& degreesOfFreedom,
                    std::ostream& out, std::ostream& err) {
  const std::optional<double> d = RealFromField(deviation);
  if (!d) {
    err << ChiSquareCalculator::kTitle << ": " << kEnterNumber << " (DEVIATION \"" << deviation
        << "\")" << std::endl;
    return kExitFailed;
  }
  const std::optional<int> k = IntegerFromField(degreesOfFreedom);
  if (!k) {
    err << ChiSquareCalculator::kTitle << ": " << kEnterInteger << " (DF \"" << degreesOfFreedom
        << "\")" << std::endl;
    return kExitFailed;
  }
  const ChiSquareResult result = ChiSquareProbability(*d, *k);
  if (!result.probability) {
    err << ChiSquareCalculator::kTitle << ": " << result.error << std::endl;
    return kExitFailed;
  }
  out << CFormat("%.15g", *result.probability) << std::endl;
  return kExitOk;
}

}  // namespace corvane
