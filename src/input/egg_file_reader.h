// The readers that fill the EggSampleTable from the run's input files.
//
// ReadFirstDataFile reads files[0] into an emptied table; AppendDataFile
// reads files[index] (index >= 1) and appends its samples. Both take the
// time range (startTime/stopTime; both 0: no filter), the resolution and the
// egg subgroup from context.settings, read ".gz" entries inflating them as
// they go (the inflated text is never written out), test the abort flag
// before each group of records, and record the file's egg count and ids in
// table.files[index]. Given a batch's cache, they take a file that an
// earlier item parsed from it instead of reading it again. Given the run's
// parsed inputs, they take entry index from there when it is parsed (and
// release it once folded in); the entry's path then only names it in
// messages and may be empty.
//
// Run errors (RunError, abort flag set):
//   "Resolution %d is outside the allowed range 1 to %d";
//   "No data file for day %d of the run" for an empty entry;
//   "Unable to open %s for input" for a file that cannot be opened or read,
//     or a compressed one that is not gzip data, is damaged or truncated
//     (its check sum at the end included), holds no bytes or is the data
//     server's message page (logged "Received message instead of data from
//     remote server", and shown as "<name>: Failed to receive data from
//     server" unless in batch mode); with ": it is a FIFO" (a directory, a
//     device) for a name that is not a regular file, which is refused
//     without waiting on it;
//   "%s is too large: its data exceed %lld bytes when inflated" for a
//     compressed file whose text exceeds kMaxInflatedBytes;
//   "%s is not a proper data file for analysis" for a first file whose first
//     line lacks "Samples per record" or whose trial size is missing, not
//     positive or so large that trial size x resolution exceeds 32 bits, and
//     for any file whose header ends without a type-12 record, counts more
//     than kMaxEggs eggs, a negative egg count or a record count outside
//     0..kMaxRecordCount, or lists fewer ids than its egg count (the run's
//     name for the input, see RunContext::InputName, else the entry); with
//     ": line %lld is longer than %zu bytes" for a file whose header or
//     records reach a line longer than LineReader::kMaxLineLength;
//   "Failed to allocate memory" when the samples do not fit.
// Message boxes (ShowMessage; the run goes on): "Record %d is out of sync"
// for a data line that does not start with type 13 or a file that ends
// before its header's record count (reading of that file ends, the samples
// stored so far stay); "Trialsize changed from %d to %d" for an appended file
// whose trial size differs from the first file's.
//
// After the first file alone: "No useable records" (abort) when it gave no
// sample, else "Insufficient data in the file" (the run goes on) when its
// last in-range record lies before the stop time. With more input files the
// job calls CheckUseableRecords after the last AppendDataFile, so a run whose
// files hold no in-range record at all ends there, once, before anything
// else is computed. The first sample time is set by whichever file gives the
// table its first sample; the last record time by each file with an
// in-range record.
//
// The first file also notes in table.absentSubgroupIds the subgroup's ids
// that it does not hold, and logs them in one line "Egg subgroup ids not in
// the data: ...". Repeated and backward time stamps and gaps are counted in
// the table as the record loop describes.
//
// Appended files: each egg is stored in the column of the first file's egg
// with the same id (eggs the first file lacks are ignored; a repeated id
// counts once). An egg of the first file that a later file lacks falls
// behind the sample count and so has no valid value in the whole run.
//
// After each call every used column holds exactly table.sampleCount samples.
// Header counts never make the reader allocate anything: the table grows
// with the records actually read.
#pragma once

#include <memory>
#include <string>

#include "core/day_segments.h"
#include "core/run_context.h"
#include "input/egg_sample_table.h"
#include "input/parsed_egg_file.h"
#include "input/parsed_file_cache.h"

namespace corvane {

// The largest resolution: keeps every sum of valid trial values within 32 bits.
inline constexpr int kMaxResolution = 14'000'000;

void ReadFirstDataFile(RunContext& context, SegmentFileList& files, int inputFileCount,
                       EggSampleTable& table, ParsedFileCache* cache = nullptr,
                       ParsedInputs* parsed = nullptr);

void AppendDataFile(RunContext& context, SegmentFileList& files, int index, EggSampleTable& table,
                    ParsedFileCache* cache = nullptr, ParsedInputs* parsed = nullptr);

// Parses the egg data file at path as the readers do (inflating a ".gz"
// file as it is read), so that a run can parse an input ahead of them.
// nullptr after reporting why it cannot be read with the run errors above
// ("Unable to open %s for input", the size bound, "Failed to allocate
// memory"), or after a stop.
std::shared_ptr<const ParsedEggFile> ParseDataFile(RunContext& context, const std::string& path);

// True when the table holds at least one sample. Otherwise, unless the run
// was already aborted, reports the run error "No useable records" and sets
// the abort flag. Returns false for an aborted run.
bool CheckUseableRecords(RunContext& context, const EggSampleTable& table);

}  // namespace corvane
