// The header of an egg data file: the lines up to and including the type-12
// record that lists the egg ids.
//
// Header lines come in any order before the type-12 record:
//   type 10, field 2 = 4: field 3 is the trial size (bits per trial);
//   type 11, field 2 = 1: field 3 is the egg count N;
//   type 11, field 2 = 4: field 3 is the record count R;
//   type 12: fields 4 ... N+3 are the egg ids; this record ends the header.
// Other lines are ignored. The first line of a proper file contains
// "Samples per record" and is scanned like any other header line.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/run_context.h"
#include "input/line_reader.h"

namespace corvane {

struct EggFileHeader {
  bool marked = false;                 // the first line contains "Samples per record"
  std::optional<long long> trialSize;  // the last type-10/4 value, if any
  long long eggCount = 0;
  long long recordCount = 0;
  std::vector<std::int32_t> eggIds;  // eggCount ids, in column order
};

// The most records a file's header may announce: the table counts its
// records and samples in 32 bits.
inline constexpr long long kMaxRecordCount = 2'147'483'647;

enum class HeaderStatus {
  kComplete,  // a sound header: 0 <= N <= kMaxEggs, N ids, 0 <= R <= kMaxRecordCount
  kAborted,   // the run's abort flag was set during the scan
  kImproper,  // no type-12 record, or counts or ids the table cannot hold
};

// Reads header lines from the start of the file until the type-12 record,
// testing the abort flag before each line. With requireMarker, a first line
// without "Samples per record" ends the scan at once as kImproper; so does a
// line longer than the reader takes (reader.TooLong() tells).
HeaderStatus ReadEggFileHeader(LineReader& reader, const RunContext& context, bool requireMarker,
                               EggFileHeader& header);

}  // namespace corvane
