// "Write results": the last step of an analysis run. It drives the optional
// analyses that write files of their own, writes the run's three plot files
// (data "name.dat", script "name.gp", information "name.inf") in the output
// directory with the cumulative statistics (cumulative_statistics.h), and
// launches gnuplot on the script for an interactive run.
//
// Order: refuse a data name that DataNameError refuses (RunError); create
// the output directory (EnsureOutputDirectory reports its failure); begin
// the run's set of result files (context.results, output_file_set.h: every
// file is written under a pending name and the whole set is moved into place
// at the end, the information file last); then, each only while the run has
// not been stopped:
//   createAudioFiles, after the status "Creating audio", when audio is on;
//   eventEcho;
//   dftSpectra, when the DFT is on (the hook sets the event time to the start
//     time when none is given, forms the offset and makes its six calls);
// open the script, data and information files ("Failed to open gnuplot gp /
// dat / inf file for output"), post "Writing results file", advance the job
// stage, write the data lines, store the last line's D, P_S and P_C in the
// series, then
//   compareIntervals, after the status "Comparing intervals", when interval
//     comparison is on;
// write the script and information file, commit the set (the shared root
// tables get the run's lines only now), advance the job stage, draw the
// plot picture when one is asked for (plot_picture.h), and launch gnuplot
// ("Generating plot") when the run is neither stopped nor a batch run. A
// picture that could not be drawn is reported and sets the abort flag after
// the launch; the results stay in place. An empty hook is skipped.
//
// A Stop at any point before the commit keeps nothing of the run: the earlier
// results of the name stay as they were. A file that cannot be written
// completely is reported with its path and the reason ("Failed to write
// gnuplot dat file <path>: No space left on device"), and so is a set that
// cannot be moved into place; the earlier results then stay too, there is no
// launch, and the abort flag is set.
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

// True when the run's new results are in place (a Stop that comes after
// that only skips the launch).
bool WriteResults(RunContext& context, const EggSampleTable& table, CompositeSeries& series,
                  const ResultSteps& steps);

}  // namespace corvane
