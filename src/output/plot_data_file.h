// The data file of a run ("name.dat"): one line per sample C with the
// fourteen plottable columns, "%d" then thirteen "%f" fields:
//
//   C, D_C, E_C, 1 - P_S, lpdev, alpdev, eggvar, lpvar, lpadev, lpmax, cvar,
//   eventEcho, K_C, 1 - P_C
//
// An undefined eggvar or eventEcho (NaN) is written as 0, so the file never
// holds "nan". Lines are formatted in parallel and written in order; the
// abort flag is tested before each line. Returns the number of lines
// written; write errors show in the file's Ok().
#pragma once

#include "core/output_file.h"
#include "core/run_context.h"
#include "output/cumulative_statistics.h"
#include "stats/composite_series.h"

namespace corvane {

int WritePlotData(const RunContext& context, const CompositeSeries& series,
                  const CumulativeStatistics& cumulative, OutputFile& file);

}  // namespace corvane
