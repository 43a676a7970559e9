// Conversions of the form's values into what the job is handed.
#pragma once

#include <string>

namespace corvane {

// The largest power of two not above size, found by doubling from 2 while
// the value is not above size and below 100000, then halving once: 65536 for
// sizes from 65536 up, 512 for 1000, 1 for 0 or 1.
int ReducedDftSize(int size);

// Event duration in hours as whole seconds, truncated after allowing for the
// binary rounding of the hour value: 1.13 h is 4068 s, not 4067. The hours
// must lie in the range EventDurationError accepts.
int EventDurationSeconds(double hours);

// Display code (the data file column) and title of a display variable, by its
// position 0..11 in the form's list.
struct DisplayVariable {
  const char* label;
  int code;
  const char* title;
};
const DisplayVariable& DisplayVariableAt(int index);
constexpr int kDisplayVariableCount = 12;

// The progress bar for a job's stage: stage x 20 (within 0..100), and whether
// the progress timer stops (at stage 5, with the bar back at 0). During the
// input stage (1) the share of the input that is in (0..1, the days of a
// remote run downloaded so far) moves the bar on from 20 towards 40.
struct ProgressReading {
  int percent = 0;
  bool stop = false;
};
ProgressReading ProgressFromStage(int stage, double inputFraction = 0.0);

// The bar's next value after showing `shown`. The job counts its computing
// stages afresh after reading, so its stage alone would take the bar back:
// while a run goes on the bar only rises; the run's end (a reading that
// stops the timer), or no run, sets it as read.
int NextProgress(int shown, const ProgressReading& reading, bool running);

}  // namespace corvane
