// The re-display of an earlier run: rewrites the run's plot script so that
// it plots another column of the run's data file, and launches gnuplot.
//
// RunDisplay reads context.settings: dataName, outputDirectory, displayCode
// (the data file column: 2 or 4 ... 14), displayTitle (the y axis label),
// plotWidth, plotHeight and gnuplotPath. It comes to the run's files through
// the run's set (output_file_set.h), so a run whose files were being moved
// into place when it was killed is completed first, and a run of that name
// still writing is refused. It then checks that the results are whole before
// it trusts them: the information file ("Failed to open gnuplot inf file for
// input" when it is missing, "Malformed gnuplot inf file <path>" when its
// first four lines are not as written) and the data file, whose complete
// lines must number the information file's record count ("The results of
// <name> are incomplete: ..."). A failed display leaves the earlier script
// intact; a new script replaces it whole. The script gets the title and
// legends of the information file; column 2 uses the Stouffer legend and
// column 13 the covariance legend, both with the p = 0.05 reference curve
// of column 3; other columns use the display title. Ticks fall every 3600
// samples from sample 0. A run of 0 records gets only the five setting lines
// and no launch. Failures are shown with ShowMessage and set the abort flag.
#pragma once

#include "core/run_context.h"

namespace corvane {

void RunDisplay(RunContext& context);

}  // namespace corvane
