// The standard normal distribution's upper tail and its inverse, for turning
// an exact p value into a Z score and back (the event series' Stouffer
// combination).
//
// Both work on the upper tail directly, so small tails keep their relative
// precision: NormalUpperTail(37) is about 5.7e-300, not 0, and
// NormalUpperQuantile(1e-300) is about 37.05. Pure functions, safe on any
// thread.
#pragma once

namespace corvane {

// Q(z) = P(Z > z) for a standard normal Z: 1 at -infinity, 0 at +infinity,
// NaN for NaN.
double NormalUpperTail(double z);

// The z with Q(z) = q, to within a few units in the last place: +infinity
// for q = 0, -infinity for q = 1, NaN for q outside [0, 1] or NaN. Near
// q = 1 the result is only as precise as q itself; a caller that has the
// lower tail p = 1 - q exactly gets more from -NormalUpperQuantile(p).
double NormalUpperQuantile(double q);

// The Z score of a result whose upper-tail probability is q and lower-tail
// probability p (p + q = 1, each computed exactly): the quantile of the
// smaller tail, so neither tail loses precision to the other.
double ZFromTails(double q, double p);

}  // namespace corvane
