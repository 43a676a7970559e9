#include "app/chi_square_calculator.h"

#include <stdexcept>

#include "core/c_format.h"
#include "prob/chi_square_distribution.h"

namespace corvane {

ChiSquareResult ChiSquareProbability(double deviation, int degreesOfFreedom) {
  ChiSquareResult result;
  if (degreesOfFreedom < 1) {
    result.error =
        CFormat("DF must be a whole number of at least 1; %d cannot be used.", degreesOfFreedom);
    return result;
  }
  const double k = degreesOfFreedom;
  try {
    const double median = chiSquareDistribution::x_from_p_k(0.5, k);
    const double x = median + deviation;
    if (x < 0.0) {
      result.error = CFormat(
          "A deviation of %.15g makes the chi-square value negative: the median with %d degrees "
          "of freedom is %.15g, so the deviation must be at least -%.15g.",
          deviation, degreesOfFreedom, median, median);
      return result;
    }
    result.probability = chiSquareDistribution::q_from_k_x(k, x);
  } catch (const std::out_of_range& error) {
    result.error = error.what();
  }
  return result;
}

void ChiSquareCalculator::Calculate(DialogView& view) {
  if (!view.PullFields()) {
    probability.reset();
    return;
  }
  const ChiSquareResult result = ChiSquareProbability(deviation, degreesOfFreedom);
  probability = result.probability;
  if (!result.probability) view.ShowMessage(result.error, kTitle, MessageKind::kWarning);
  view.PushFields();
}

}  // namespace corvane
