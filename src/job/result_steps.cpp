#include "job/result_steps.h"

#include "job/job_state.h"
#include "output/summary_tables.h"
#include "stats/dft_spectrum.h"
#include "stats/event_echo.h"

namespace corvane {

ResultSteps BuildResultSteps(JobState& job) {
  ResultSteps steps;
  steps.eventEcho = [&job] { RunEventEcho(job.context, job.table, job.series); };
  steps.dftSpectra = [&job] { RunDftSpectra(job.context, job.table, job.series); };
  steps.compareIntervals = [&job] { CompareIntervals(job.context, job.table, job.series); };
  // The sonification hook is filled in here when it joins the job.
  return steps;
}

}  // namespace corvane
