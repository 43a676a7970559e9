// One egg data file as parsed, before any run's time range, resolution or
// subgroup is applied: its header and the trial values of its type-13
// records in file order. The readers fold it into the EggSampleTable
// (egg_record_loop.h); a batch keeps it for the other items that read the
// same file (parsed_file_cache.h).
//
// ParseEggFile reads the header (without insisting on the first line's
// marker: `marked` says whether it is there), then up to the header's record
// count of records, each a line that starts with type 13: its time stamp,
// and its N trial values (a field past the end of the line is missing).
// Parsing ends early at a line that does not start with 13 or at the end of
// the text (kOutOfSync), or at a line longer than the reader takes
// (kLineTooLong). Memory grows with the records actually read, never with
// what the header announces.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/run_context.h"
#include "input/egg_file_header.h"
#include "input/line_reader.h"

namespace corvane {

// A trial value as parsed: kLowestTrialValue ... kHighestTrialValue, or 0
// for a missing one.
using ParsedTrial = std::uint8_t;

struct ParsedEggFile {
  enum class End {
    kComplete,     // the header's record count was read
    kOutOfSync,    // a line that is not a data record, or the end of the text
    kLineTooLong,  // a line longer than LineReader::kMaxLineLength
  };

  HeaderStatus headerStatus = HeaderStatus::kImproper;
  EggFileHeader header;
  // The number (from 1) of a line longer than the reader takes, which ended
  // the header scan or the records; 0 when there was none.
  std::int64_t longLine = 0;

  // Records 0 ... RecordCount() - 1: time stamps, and values per record
  // (header.eggCount of them, record after record).
  std::vector<std::int64_t> times;
  std::vector<ParsedTrial> trials;
  End end = End::kComplete;

  std::int64_t RecordCount() const { return static_cast<std::int64_t>(times.size()); }
  // The values of record r.
  const ParsedTrial* Trials(std::int64_t r) const {
    return trials.data() + r * static_cast<std::int64_t>(header.eggCount);
  }
  // Bytes held, for the cache's bound.
  std::int64_t Bytes() const {
    return static_cast<std::int64_t>(times.capacity() * sizeof(std::int64_t) + trials.capacity());
  }
};

// A run's input files parsed before the readers need them (a remote run
// parses each day as it arrives), by entry of its file list; null where an
// entry is to be read from its file.
using ParsedInputs = std::vector<std::shared_ptr<const ParsedEggFile>>;

// Parses the text of an opened reader. Returns false when the run was
// stopped meanwhile (the abort flag is tested every few thousand lines) or
// the text stopped on a problem of the reader (reader.Failed()). Throws
// std::bad_alloc when the records do not fit in memory.
bool ParseEggFile(LineReader& reader, const RunContext& context, ParsedEggFile& file);

}  // namespace corvane
