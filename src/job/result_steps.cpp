#include "job/result_steps.h"

#include "job/job_state.h"
#include "output/summary_tables.h"

namespace corvane {

ResultSteps BuildResultSteps(JobState& job) {
  ResultSteps steps;
  steps.compareIntervals = [&job] { CompareIntervals(job.context, job.table, job.series); };
  // The sonification, event echo and DFT hooks are filled in here as those
  // analyses join the job.
  return steps;
}

}  // namespace corvane
