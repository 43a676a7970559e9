// The tables that record the outcome of an interval comparison:
//  - the run's statistics table "<output dir><data name>.tst", rewritten by
//    each run: interval and filter settings, the event echo settings, the
//    means, t-values and probabilities of the six compared variables (with
//    the degrees of freedom of a variable whose test had fewer than tDF),
//    and last a line saying which of the tests are valid;
//  - the batch summary table "<root>summary.tst", only appended to: a
//    heading (written whenever the table has none yet, also after run-error
//    lines) and one 23-field line per batch run.
#pragma once

#include <optional>
#include <string>

#include "core/analysis_settings.h"
#include "core/output_file_set.h"
#include "core/run_context.h"
#include "core/run_report.h"
#include "input/egg_sample_table.h"
#include "stats/composite_series.h"
#include "stats/interval_comparison.h"

namespace corvane {

// The column heading line of the summary table (without its line feeds).
extern const char* const kSummaryColumnHeading;
// The statistics table's last line (without its line feed): the tests of
// filtered and cumulative variables compare dependent samples.
extern const char* const kDependentSamplesNote;

// Writes the statistics table that becomes path, as a file of the run's set;
// inputNotes (InputNoteLines) follow the useableEggs line. Returns the
// message to show when it could not be created or written completely.
std::optional<std::string> WriteStatisticsTable(OutputFileSet& set, const std::string& path,
                                                const AnalysisSettings& settings,
                                                const CompositeSeries& series,
                                                const IntervalComparison& comparison,
                                                const std::string& inputNotes = "");

// The run line of the summary table, with the heading that goes before it
// when the table has no heading yet: name, usable eggs, the last cumulative
// Stouffer deviation, its degrees of freedom (the sample count when every
// sample has a value), its upper-tail probability, then mean1, mean2 and
// mean2 - mean1 of each compared variable.
TableText SummaryRunText(const AnalysisSettings& settings, const CompositeSeries& series,
                         const IntervalComparison& comparison);

// The interval comparison of "Write results" (when interval comparison is
// on and the run has not been stopped): compares the intervals, writes the
// statistics table and, in batch mode, the summary run line (added to the
// table when the run's set is committed). The interval settings are seconds
// from the first sample: at a resolution R the intervals start at sample
// start / R and span the duration / R samples, rounded up (the tables show
// the settings as given). Refused settings, a duration of fewer than two
// samples, intervals past the end of the data and a table that cannot be
// written are shown through the run's message channel, and then neither
// table is written. Returns what the run's report says of the comparison
// (nullopt when it was not asked for).
std::optional<IntervalReport> CompareIntervals(RunContext& context, const EggSampleTable& table,
                                               const CompositeSeries& series);

}  // namespace corvane
