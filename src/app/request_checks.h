// Range checks of the values that enter a run through the form, a batch file
// or a dialog. Each returns the message that refuses the value, or nothing
// when it is acceptable. Values that would make a run loop, read out of
// bounds or allocate without bound never reach a job.
#pragma once

#include <optional>
#include <string>

#include "core/audio_settings.h"

namespace corvane {

using Refusal = std::optional<std::string>;

// A data name becomes a folder and file names and is written into plot
// scripts: no path separator, "..", quote or control character.
Refusal CheckDataName(const std::string& name);

// Smoothing mode 0..2 with its coefficient (mode 0) or window size (1, 2).
Refusal CheckSmoothing(int mode, int windowSize, double coefficient);
Refusal CheckSmoothingMode(int mode);
Refusal CheckWindowSize(int windowSize);
Refusal CheckCoefficient(double coefficient);

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

Refusal CheckAudioSettings(const AudioSettings& audio);

}  // namespace corvane
