// The low-pass filters of a run and the small vector routines beside them.
//
// Undefined samples: an input entry that is NaN (a second without a value,
// see composite_series.h) contributes nothing. The exponential filter carries
// its last value over it; the window filters average the defined entries of
// each window and carry the last value over a window without any. With no NaN
// in the input every filter computes exactly the plain formula, operation for
// operation. Outputs are never NaN.
//
// Window filters keep the series length: the first and last full-window
// values are held flat over the head and tail; no partial window is used.
// They refuse (return false, write nothing) a window whose span does not fit
// into the data, so they never read outside the input.
#pragma once

#include <cstdint>
#include <vector>

namespace corvane {

// out[0] = seed; out[i] = a * in[i] + (1 - a) * out[i - 1] for i >= 1. The
// first input entry is never used. n may be 0.
void ExponentialFilter(double a, double seed, const double* in, double* out, int n);

// Samples covered by a window of the given size: the rectangle raises an
// even size by one (900 covers 901 samples, 0 covers 1), the triangle raises
// an odd size by one (5 covers 6), so that both stay symmetric.
std::int64_t RectangleSpan(int window);
std::int64_t TriangleSpan(int window);

// Centred running mean over RectangleSpan(window) samples. False when the
// window is negative or its span exceeds n.
bool RectangleFilter(int window, const double* in, double* out, int n);

// The triangle weights for an even span 2h: 1, 2, ..., h, h, ..., 2, 1,
// divided by their sum h(h + 1). Empty for a span below 2 or an odd span.
std::vector<double> TriangleWeights(std::int64_t span);

// Triangle-weighted mean over TriangleSpan(window) = 2h samples: out[j]
// weighs in[j - h ... j + h - 1]. False when the window is below 2 or its
// span exceeds n.
bool TriangleFilter(int window, const double* in, double* out, int n);

// out[i] = in[i] - mean(in[0 ... n - 1]); returns the mean. out may equal in.
// Returns 0 and writes nothing when n <= 0.
double RemoveMean(double* out, const double* in, int n);

}  // namespace corvane
