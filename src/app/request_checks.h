// Range checks of the values that enter a run through the form, a batch file
// or a dialog. Each returns the message that refuses the value, or nothing
// when it is acceptable. Values that would make a run loop, read out of
// bounds or allocate without bound never reach a job. (Data names, smoothing
// and audio settings have their checks in core/data_name.h,
// stats/smoothing_settings.h and audio/audio_settings_check.h.)
#pragma once

#include <optional>
#include <string>

namespace corvane {

using Refusal = std::optional<std::string>;

// Records per sample.
Refusal CheckResolution(int resolution);

// The DFT size after reduction to a power of two.
Refusal CheckDftSize(int reducedSize);

// Interval starts and their common duration, in seconds.
Refusal CheckIntervals(int interval1Start, int interval2Start, int duration);

Refusal CheckEchoMethod(int method);
Refusal CheckDisplayVariable(int index);

// Event duration in hours.
Refusal CheckEventDuration(double hours);

}  // namespace corvane
