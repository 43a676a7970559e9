// The auxiliary functions beneath the incomplete gamma ratio, each accurate to
// about 14 significant digits (most to a few units in the last place) over the
// range in which the ratio uses it.
//
// ReciprocalGammaMinusOne(a)
//                       1/Gamma(1 + a) - 1 for 0 <= a <= 1, with full relative
//                       precision near both ends, where it tends to 0.
// LogRatioDeviation(l, u)
//                       l - 1 - ln(l) for l > 0, given with u = l - 1 as
//                       precisely as the caller knows it: l serves far from 1,
//                       u near 1, where the result keeps its full relative
//                       precision however close l is to 1.
//
// erf, erfc, Gamma and e^z - 1 come from the standard library (std::erf,
// std::erfc, std::tgamma, std::expm1), which is accurate to a few units in
// the last place. The Temme expansion's e^-y e^(v^2) erfc(v) is formed from
// erfc(v) itself, so no scaled complementary error function is needed.
#pragma once

namespace corvane {

double ReciprocalGammaMinusOne(double a);
double LogRatioDeviation(double l, double u);

}  // namespace corvane
