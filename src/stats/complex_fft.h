// The radix-2, in-place, decimation-in-time complex FFT in single precision.
#pragma once

#include <span>

namespace corvane {

// Transforms data, M complex points stored as interleaved (real, imaginary)
// floats, in place: X[j] = sum_k x[k] exp(sign * 2 pi i j k / M). M must be a
// power of two (data.size() == 2 M); sign is +1 or -1. The twiddle factors
// are advanced by the trigonometric recurrence in double precision.
void ComplexFft(std::span<float> data, int sign);

}  // namespace corvane
