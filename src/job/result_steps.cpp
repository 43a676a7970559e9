#include "job/result_steps.h"

#include "audio/sonification.h"
#include "job/job_state.h"
#include "output/summary_tables.h"
#include "stats/dft_files.h"
#include "stats/event_echo.h"

namespace corvane {

ResultSteps BuildResultSteps(JobState& job) {
  ResultSteps steps;
  steps.createAudioFiles = [&job] { CreateAudioFiles(job.context, job.series); };
  steps.eventEcho = [&job] { RunEventEcho(job.context, job.table, job.series); };
  steps.dftSpectra = [&job] { RunDftSpectra(job.context, job.table, job.series); };
  steps.compareIntervals = [&job] {
    job.intervals = CompareIntervals(job.context, job.table, job.series);
  };
  return steps;
}

}  // namespace corvane
