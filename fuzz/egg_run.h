// Runs the egg data readers over fuzzer-made files as a run does, and checks
// what the readers promise about the table they leave.
//
// The first byte of a fuzz input chooses the run's settings (EggRunOptions);
// the rest holds the files. Both egg data targets share this, so their
// seeds begin with such a byte.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::fuzz {

struct EggRunOptions {
  int resolution = 1;      // 1 ... 4
  bool timeRange = false;  // only records in [kRangeStart, kRangeStop]
  bool subgroup = false;   // only eggs 1001, 1003 and 1005
  bool flag = false;       // left to the target (compression, say)
};

// A time range within the seeds' records (2011-05-03 from 00:00:00).
inline constexpr std::int64_t kRangeStart = 1304380800 + 5;
inline constexpr std::int64_t kRangeStop = 1304380800 + 40;

// Options of the first byte: bits 0-1 resolution - 1, bit 2 time range,
// bit 3 subgroup, bit 4 the target's flag.
EggRunOptions OptionsOfByte(std::uint8_t byte);

// The texts of up to three files separated by form feeds ("\f"); the third
// takes the rest.
std::vector<std::string_view> SplitFiles(std::string_view text);

// Reads paths in order (the first file, then each further one while the run
// goes on, then the check for useable records) and checks the table, with
// the scratch directory as the run's temporary directory. Returns the run's
// file list as the readers left it (inflated entries renamed). Aborts when a
// promise is broken.
std::vector<std::string> ReadAndCheck(const EggRunOptions& options,
                                      const std::vector<std::string>& paths);

}  // namespace corvane::fuzz
