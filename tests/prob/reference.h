// High-precision reference values from Boost.Math, an independent
// implementation, evaluated in 50 decimal digits so that its own rounding
// does not blur the comparison.
#pragma once

#include <boost/math/special_functions/gamma.hpp>
#include <boost/multiprecision/cpp_bin_float.hpp>
#include <cmath>

namespace corvane::testing {

using Precise = boost::multiprecision::cpp_bin_float_50;

struct ReferenceRatio {
  double p;
  double q;
};

// P(a, x) and Q(a, x), each rounded once to double from 50 digits.
inline ReferenceRatio ReferenceGammaRatio(double a, double x) {
  const Precise p = boost::math::gamma_p(Precise(a), Precise(x));
  const Precise q = p < 0.5 ? Precise(1 - p) : boost::math::gamma_q(Precise(a), Precise(x));
  return {static_cast<double>(p), static_cast<double>(q)};
}

// |value - reference| / |reference|.
inline double RelativeError(double value, double reference) {
  return std::fabs(value - reference) / std::fabs(reference);
}

}  // namespace corvane::testing
