// Synthetic egg data in the network's file format, for tests, benchmarks,
// examples and the stand-in data server.
//
// A file holds one record per second from options.start to options.stop
// (inclusive): a first line containing "Samples per record", the header
// records (type 10 trial size, type 11 egg and record counts, type 12 egg
// ids) and one type-13 record per second,
//   13,<seconds>,<yyyy-mm-dd hh:mm:ss>,v1,...,vN
// Each value is the sum of trialSize fair random bits (mean trialSize / 2,
// variance trialSize / 4), drawn from a hash of (seed, egg id, second): the
// same second of the same egg always has the same value, whatever range is
// asked for. Options add missing values (empty fields), absent eggs, a mean
// shift in a time window, CR LF line ends and gzip output.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane::eggdata {

struct EggDataOptions {
  std::int64_t start = 0;  // first record's time stamp, seconds since 1970 UTC
  std::int64_t stop = 0;   // last record's time stamp (inclusive)

  // Egg ids in column order. When empty, eggCount ids from firstEggId on.
  std::vector<int> eggIds;
  int eggCount = 60;
  int firstEggId = 1001;
  // Ids left out of this file (the other columns keep their values).
  std::vector<int> absentEggs;

  int trialSize = 200;  // bits per trial
  std::uint64_t seed = 1;

  // Fraction (0..1) of values written as empty fields.
  double missingFraction = 0.0;

  // Added to the expected trial sum of the shifted eggs for the records from
  // shiftStart to shiftStop (inclusive). A fractional part is dithered, so
  // the mean moves by exactly meanShift on average.
  double meanShift = 0.0;
  std::int64_t shiftStart = 0;
  std::int64_t shiftStop = -1;
  std::vector<int> shiftEggs;  // empty: every egg

  bool crlf = false;  // end lines with CR LF instead of LF

  // The record count written into the header; nullopt: the true count. Lets
  // tests make files that are shorter or longer than their header says.
  std::optional<std::int64_t> headerRecordCount;
};

// The ids of the file's columns: eggIds (or the default ids) minus absentEggs.
std::vector<int> FileEggIds(const EggDataOptions& options);

// The trial sum of egg eggId at the given second, or nullopt when the value
// is written as missing. Independent of the range asked for.
std::optional<int> EggTrialValue(const EggDataOptions& options, int eggId, std::int64_t second);

// The whole file as text. An empty range (stop < start) gives a file with a
// header and no records.
std::string GenerateEggData(const EggDataOptions& options);

// Writes GenerateEggData to path, gzip-compressed when gzip is set. Returns
// false when the file could not be written completely.
bool WriteEggDataFile(const std::string& path, const EggDataOptions& options, bool gzip);

// The name of the file for the date with the given index (0 for the first)
// in a multi-day set: the first path itself, then B_2E, B_3E, ... where E is
// the text from the last "." of the file name on and B the text before it.
std::string DayFileName(const std::string& firstPath, int dayIndex);

// Writes one file per calendar date of [options.start, options.stop], named
// by DayFileName. The first date's file runs from the start to 23:59:59, the
// last from 00:00:00 to the stop. Returns the paths written, or an empty list
// when any file could not be written.
std::vector<std::string> WriteEggDataDays(const std::string& firstPath,
                                          const EggDataOptions& options, bool gzip);

}  // namespace corvane::eggdata
