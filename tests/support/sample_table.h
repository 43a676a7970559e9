// Builds small EggSampleTables for tests: one vector of trial sums per egg
// (kMissingSample for a missing value), all selected and complete.
#pragma once

#include <cstdint>
#include <vector>

#include "input/egg_sample_table.h"

namespace corvane::testing {

inline EggSampleTable MakeSampleTable(const std::vector<std::vector<std::int32_t>>& eggs,
                                      int trialSize = 200) {
  EggSampleTable table;
  table.eggCount = static_cast<int>(eggs.size());
  table.sampleCount = eggs.empty() ? 0 : static_cast<int>(eggs.front().size());
  table.recordTrialSize = trialSize;
  table.trialSize = trialSize;
  table.resolution = 1;
  table.totalRecords = table.sampleCount;
  for (size_t k = 0; k < eggs.size(); ++k) {
    EggColumn& column = table.columns[k];
    column.eggId = static_cast<std::int32_t>(100 + k);
    column.columnIndex = static_cast<std::int32_t>(k);
    column.samples = eggs[k];
    column.storedCount = static_cast<std::int32_t>(eggs[k].size());
    column.selected = 1;
  }
  return table;
}

}  // namespace corvane::testing
