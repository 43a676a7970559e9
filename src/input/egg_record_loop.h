// The data loop shared by both readers: type-13 records of one file summed
// into samples of the EggSampleTable.
//
// Records are taken in groups of table.resolution (the last group of a file
// may be shorter). A record is in range when the run has no time filter
// (start and stop both 0) or start <= time stamp <= stop. A group with at
// least one in-range record becomes one sample: every table column that a
// file egg maps to gets the sum of that egg's valid values when all records
// of the group held one, else kMissingSample, and its stored count grows by
// one. While the table holds no sample, each in-range record sets the first
// sample time. A line that does not start with type 13 (or the end of the
// file before `recordCount` records) shows "Record %d is out of sync" and
// ends the file; the samples stored so far stay, an unfinished group is
// dropped. A line longer than the line reader takes ends the file too, with
// lineTooLong set and nothing shown: the caller refuses the file.
//
// Time stamps: a record whose time stamp is not later than that of the
// record before it in the same file (a repeated or backward second) is
// skipped: it takes no place in a group, and table.skippedRecords counts it
// when it lies in range. A step of more than one second between consecutive
// records (the last record of the previous file included) adds the seconds
// between them that lie in range to table.missingSeconds; the grouping goes
// on by records, so at a resolution above 1 a group may span a gap.
//
// A column too short for the next sample grows (doubling); callers size the
// columns ahead for the records they expect. Columns that no file egg maps
// to are left as they are.
#pragma once

#include <cstdint>
#include <vector>

#include "core/run_context.h"
#include "input/egg_sample_table.h"
#include "input/line_reader.h"

namespace corvane {

struct RecordLoopResult {
  bool anyInRange = false;        // at least one record lay in the time range
  std::int64_t lastSeenTime = 0;  // time stamp of the last in-range record
  bool lineTooLong = false;       // reading ended at an over-long line
};

// The most samples that recordCount records can give.
std::int64_t MaxSamples(std::int64_t recordCount, int resolution);

// Reads up to recordCount records with columnOf.size() values each;
// columnOf[j] is the table column of the file's egg j, or -1 to ignore it.
RecordLoopResult ReadEggRecords(const RunContext& context, LineReader& reader,
                                std::int64_t recordCount, const std::vector<int>& columnOf,
                                EggSampleTable& table);

}  // namespace corvane
