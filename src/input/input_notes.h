// What a run's input lacked, as its result files and progress log say it.
//
// Each line appears only when its count is not 0, so that the files of a run
// over sound input stay exactly as they are without these notes:
//   "skippedRecords %lld"     records skipped because their time stamp was
//                             not later than the one before;
//   "missingSeconds %lld"     seconds in range with no record between two
//                             records;
//   "absentSubgroupEggs %d"   ids of the egg subgroup that the data does not
//                             hold (only withSubgroup).
// The keyword form matches the other lines of the information and
// statistics files; each line ends with a line feed.
#pragma once

#include <string>

#include "core/run_context.h"
#include "input/egg_sample_table.h"

namespace corvane {

std::string InputNoteLines(const EggSampleTable& table, bool withSubgroup);

// Logs the two time-stamp counts (when not 0) as the progress log's lines
// "Skipped %lld records whose time stamp was not later than the one before"
// and "%lld seconds missing between records".
void LogInputNotes(const RunContext& context, const EggSampleTable& table);

}  // namespace corvane
