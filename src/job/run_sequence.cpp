#include "job/job_state.h"

namespace corvane {

void JobState::RunSequence() {
  // Reading, statistics and results come with the input, statistics and
  // output steps; until then a run whose input is complete ends here.
  context.RunError("Local input is not available in this build");
  context.Abort();
}

}  // namespace corvane
