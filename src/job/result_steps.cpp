#include "job/result_steps.h"

#include "audio/sonification.h"
#include "job/job_state.h"
#include "output/summary_tables.h"

namespace corvane {

ResultSteps BuildResultSteps(JobState& job) {
  ResultSteps steps;
  steps.createAudioFiles = [&job] { CreateAudioFiles(job.context, job.series); };
  steps.compareIntervals = [&job] { CompareIntervals(job.context, job.table, job.series); };
  // The event echo and DFT hooks are filled in here as those
  // analyses join the job.
  return steps;
}

}  // namespace corvane
