#include "input/input_notes.h"

#include "core/c_format.h"

namespace corvane {

std::string InputNoteLines(const EggSampleTable& table, bool withSubgroup) {
  std::string lines;
  if (table.skippedRecords != 0) {
    lines += CFormat("skippedRecords %lld\n", static_cast<long long>(table.skippedRecords));
  }
  if (table.missingSeconds != 0) {
    lines += CFormat("missingSeconds %lld\n", static_cast<long long>(table.missingSeconds));
  }
  if (withSubgroup && !table.absentSubgroupIds.empty()) {
    lines += CFormat("absentSubgroupEggs %zu\n", table.absentSubgroupIds.size());
  }
  return lines;
}

void LogInputNotes(const RunContext& context, const EggSampleTable& table) {
  if (table.skippedRecords != 0) {
    context.LogLine(
        CFormat("Skipped %lld records whose time stamp was not later than the one before",
                static_cast<long long>(table.skippedRecords)));
  }
  if (table.missingSeconds != 0) {
    context.LogLine(CFormat("%lld seconds missing between records",
                            static_cast<long long>(table.missingSeconds)));
  }
}

}  // namespace corvane
