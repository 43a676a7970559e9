// Validation of a run's smoothing settings, for the form, the batch reader
// and the job to call before a run starts.
//
// Refuses what would make a filter read outside its data or diverge: an
// unknown mode, an exponential coefficient outside 0 ... 1 (or not a number),
// a negative rectangle window, a triangle window below 2. Only the value the
// chosen mode uses is checked. Returns the message to show, or nullopt.
//
// SmoothingWindowLengthError tells, once the sample count of a run is known,
// whether a window filter's span fits into the data.
#pragma once

#include <optional>
#include <string>

namespace corvane {

std::optional<std::string> SmoothingSettingsError(int mode, int window, double coefficient);

std::optional<std::string> SmoothingWindowLengthError(int mode, int window, int samples);

}  // namespace corvane
