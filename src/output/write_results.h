// "Write results": the last step of an analysis run. It drives the optional
// analyses that write files of their own, writes the run's three plot files
// (data "name.dat", script "name.gp", information "name.inf") in the output
// directory with the cumulative statistics (cumulative_statistics.h), and
// launches gnuplot on the script for an interactive run.
//
// Order: refuse a data name that DataNameError refuses (RunError); create
// the output directory (EnsureOutputDirectory reports its failure); then,
// each only while the run has not been stopped:
//   createAudioFiles, after the status "Creating audio", when audio is on;
//   eventEcho;
//   dftSpectra, when the DFT is on (the hook sets the event time to the start
//     time when none is given, forms the offset and makes its six calls);
// open the script, data and information files ("Failed to open gnuplot gp /
// dat / inf file for output"), post "Writing results file", advance the job
// stage, write the data lines (a Stop keeps the lines written), store the
// last line's D, P_S and P_C in the series, then
//   compareIntervals, after the status "Comparing intervals", when interval
//     comparison is on and the run has not been stopped;
// write the script and information file, advance the job stage, and launch
// gnuplot ("Generating plot") when the run is neither stopped nor a batch
// run. An empty hook is skipped. A file that cannot be written completely is
// reported ("Failed to write gnuplot gp / dat / inf file") and stops the run
// without a launch; every failure sets the abort flag.
//
// Hooks run on the calling (job) thread and reach the run through what they
// captured; they may set the abort flag, which the later steps honour.
#pragma once

#include <functional>

#include "core/run_context.h"
#include "input/egg_sample_table.h"
#include "stats/composite_series.h"

namespace corvane {

struct ResultSteps {
  std::function<void()> createAudioFiles;  // the sonification's WAV files
  std::function<void()> eventEcho;         // the event echo search and its file
  std::function<void()> dftSpectra;        // the six DFT spectra
  std::function<void()> compareIntervals;  // the interval comparison and its tables
};

void WriteResults(RunContext& context, const EggSampleTable& table, CompositeSeries& series,
                  const ResultSteps& steps);

}  // namespace corvane
