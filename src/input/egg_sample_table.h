// The in-memory table of samples per egg that the readers fill and the
// statistics and writers read.
//
// Up to kMaxEggs egg columns; only the first eggCount (the first file's egg
// count) are used. A sample value is the sum of one egg's trial sums over
// `resolution` consecutive records, or kMissingSample. The marker lies outside
// every possible sum, whatever the resolution.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "core/date_time.h"

namespace corvane {

inline constexpr int kMaxEggs = 200;
inline constexpr std::int32_t kMissingSample = std::numeric_limits<std::int32_t>::min();

struct EggColumn {
  std::int32_t eggId = 0;
  std::int32_t columnIndex = 0;
  std::vector<std::int32_t> samples;  // one per sample, capacity = total records
  std::int32_t storedCount = 0;       // samples stored for this egg
  std::int32_t selected = 0;          // 1 when in the run's subgroup (or no subgroup)
};

// The egg count and egg ids of one input file, in column order.
struct FileEggs {
  int eggCount = 0;
  std::vector<std::int32_t> eggIds;
};

struct EggSampleTable {
  std::array<EggColumn, kMaxEggs> columns;
  int eggCount = 0;         // N0, the first file's egg count
  int sampleCount = 0;      // n_s, samples stored so far
  int recordTrialSize = 0;  // bits per trial of the first file's records
  int trialSize = 0;        // bits behind every sample: recordTrialSize x resolution
  int resolution = 1;       // records per sample
  std::int64_t totalRecords = 0;
  std::vector<FileEggs> files;  // one entry per input file read
  DateTime firstSampleTime;
  DateTime lastRecordTime;

  // What the input lacked, for the run's notes: in-range records skipped
  // because their time stamp repeated or went back, in-range seconds with no
  // record between two records, and the subgroup's ids that the first file
  // does not hold.
  std::int64_t skippedRecords = 0;
  std::int64_t missingSeconds = 0;
  std::vector<int> absentSubgroupIds;
  // The time stamp of the last record read (skipped ones aside), so that a
  // gap between two files counts too.
  std::optional<std::int64_t> lastTimeStamp;

  // Egg k has a value at sample i that the statistics may use.
  bool ValidCell(int k, int i) const {
    const EggColumn& column = columns[static_cast<size_t>(k)];
    return column.storedCount == sampleCount && column.selected != 0 &&
           column.samples[static_cast<size_t>(i)] != kMissingSample;
  }

  // Egg k takes part in the run: selected and complete.
  bool Usable(int k) const {
    const EggColumn& column = columns[static_cast<size_t>(k)];
    return column.selected == 1 && column.storedCount == sampleCount;
  }

  // Releases every sample array and returns the table to its empty state.
  void Clear() { *this = EggSampleTable(); }
};

}  // namespace corvane
