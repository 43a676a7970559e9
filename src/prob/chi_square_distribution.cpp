#include "prob/chi_square_distribution.h"

#include <stdexcept>

#include "prob/chi_square_cumulative.h"

namespace corvane {
namespace {

// Both tails of x; throws with the calling operation's message on failure.
void Tails(double k, double x, double* p, double* q, const char* message) {
  if (chiSquareCumulative(ChiSquareMode::kProbabilities, p, q, &x, k) != kChiSquareOk) {
    throw std::out_of_range(message);
  }
}

}  // namespace

double chiSquareDistribution::p_from_k_x(double k, double x) {
  double p = 0.0;
  double q = 0.0;
  Tails(k, x, &p, &q, "chiSquareDistribution::p_from_k_x: Result out of bounds");
  return p;
}

double chiSquareDistribution::q_from_k_x(double k, double x) {
  double p = 0.0;
  double q = 0.0;
  Tails(k, x, &p, &q, "chiSquareDistribution::q_from_k_x: Result out of bounds");
  return q;
}

double chiSquareDistribution::x_from_p_k(double p, double k) {
  double q = 1.0 - p;
  double x = 0.0;
  if (chiSquareCumulative(ChiSquareMode::kValue, &p, &q, &x, k) != kChiSquareOk) {
    throw std::out_of_range("chiSquareDistribution::x_from_p_k: Result out of bounds");
  }
  return x;
}

}  // namespace corvane
