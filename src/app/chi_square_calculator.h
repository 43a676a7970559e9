// The "ChiSquare Probability Calculator" as fields and an operation.
//
// For a chi-square deviation d from the median m of the distribution with k
// degrees of freedom, the probability is the upper tail Q(k, m + d), computed
// directly (so a tiny tail is not lost to 1 - P). A DF below 1, or a
// deviation below -m (a negative chi-square value), is refused with a clear
// message and leaves no probability shown. A deviation of 0 gives 0.5 to the
// root search's tolerance (about 1e-8).
#pragma once

#include <optional>
#include <string>

#include "app/form_view.h"

namespace corvane {

struct ChiSquareResult {
  std::optional<double> probability;  // empty when refused
  std::string error;                  // the refusal
};

ChiSquareResult ChiSquareProbability(double deviation, int degreesOfFreedom);

class ChiSquareCalculator {
 public:
  static constexpr const char* kTitle = "ChiSquare Probability Calculator";

  double deviation = 0.0;                   // "Chi square deviation from chance"
  int degreesOfFreedom = 0;                 // "DF"
  std::optional<double> probability = 0.0;  // "Probability" (read-only; empty: none)

  // "Calculate": pulls the fields, computes, and pushes the result; a
  // refusal is shown as a warning. Whenever the input is refused (a field
  // the view cannot read, or values without a probability) no probability
  // is left: the one shown belongs to the input beside it or there is none.
  // A view that keeps a refused field's text for correcting it shows the
  // cleared result itself (the view does not push after its own refusal).
  void Calculate(DialogView& view);
};

}  // namespace corvane
