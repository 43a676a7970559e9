// The optional analyses that "Write results" drives for a run: the
// sonification, the event echo search, the DFT spectra and the interval
// comparison. This is the one place where the job builds them; an empty hook
// is skipped by the writer.
#pragma once

#include "output/write_results.h"

namespace corvane {

class JobState;

ResultSteps BuildResultSteps(JobState& job);

}  // namespace corvane
