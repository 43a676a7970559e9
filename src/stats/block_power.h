// The power spectrum of one block of a DFT: the data scaled by a gain,
// windowed, transformed in single precision and normalised.
#pragma once

#include <span>
#include <vector>

namespace corvane {

// The window of an M-point block (M >= 2), in single precision:
// w[i] = 1 - (0.42 + 0.5 cos(2 pi i / (M - 1)) + 0.08 cos(4 pi i / (M - 1))).
// It is 0 at both ends and 1 in the middle.
std::vector<float> DftWindow(int size);

// The first M/2 power values of a block of M samples (M a power of two >= 2,
// window of the same size): every sample is multiplied by 10^(gainDb / 10)
// (a single-precision factor), rounded to single precision and windowed;
// power[0] = |X_0 / M|^2 and power[j] = |X_j / (M / 2)|^2 for j >= 1.
std::vector<double> PowerSpectrum(std::span<const double> block, std::span<const float> window,
                                  double gainDb);

}  // namespace corvane
