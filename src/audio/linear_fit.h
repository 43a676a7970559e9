// The least-squares slope of y on x over n points:
// (n*Sxy - Sx*Sy) / (n*Sxx - Sx^2). Returns 0 when that is undefined (fewer
// than two points, or every x equal).
#pragma once

#include <span>

namespace corvane {

double LinearFit(std::span<const double> x, std::span<const double> y);

}  // namespace corvane
