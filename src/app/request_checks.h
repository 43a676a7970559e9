// Range checks of the values that enter a run through the form, a batch file
// or a dialog. Each returns the message that refuses the value, or nothing
// when it is acceptable. Values that would make a run loop, read out of
// bounds or allocate without bound never reach a job. (Data names, smoothing,
// interval, DFT and audio settings have their checks beside the code that
// uses them: DataNameError, SmoothingSettingsError, IntervalSettingsError,
// DftSizeError and AudioSettingsError.)
#pragma once

#include <optional>
#include <string>

namespace corvane {

using Refusal = std::optional<std::string>;

// Records per sample.
Refusal CheckResolution(int resolution);

Refusal CheckEchoMethod(int method);
Refusal CheckDisplayVariable(int index);

// Event duration in hours.
Refusal CheckEventDuration(double hours);

}  // namespace corvane
