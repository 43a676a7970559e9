#include "job/result_steps.h"

#include "job/job_state.h"

namespace corvane {

ResultSteps BuildResultSteps(JobState& /*job*/) {
  ResultSteps steps;
  // The sonification, event echo, DFT and interval comparison hooks are
  // filled in here as those analyses join the job.
  return steps;
}

}  // namespace corvane
