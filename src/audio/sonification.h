// The sonification of a run: five series of the CompositeSeries, each as one
// WAV file in the run's output directory, named by the data name and a
// suffix, written in this order:
//   "_lpvar.wav" (lpvar), "_lpdev.wav" (lpdev), "_alpdev.wav" (alpdev),
//   "_lpmax.wav" (lpmax), "_cumdevVar.wav" (cvar).
//
// The run's own copy of the audio settings is checked first; settings out of
// range, or notes that would not fit a WAV file, are reported as a run error
// and no file is written. A machine without a sound playback device gets the
// same files, and "Audio card not detected" once in the progress log.
// The files belong to the run's set of result files (context.results). A
// file that cannot be created ("Failed to open audio file for write") or
// written completely (with its path and the reason) is reported as a
// message, and the next file is still tried; nothing here stops the run or
// tests its abort flag, but a set with a file left unwritten is not
// committed.
#pragma once

#include "core/run_context.h"
#include "stats/composite_series.h"

namespace corvane {

void CreateAudioFiles(RunContext& context, const CompositeSeries& series);

// The same, with the number of playback devices given rather than asked of
// the system.
void CreateAudioFiles(RunContext& context, const CompositeSeries& series, int playbackDevices);

}  // namespace corvane
