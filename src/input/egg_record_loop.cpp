#include "input/egg_record_loop.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "core/c_format.h"
#include "input/egg_fields.h"

namespace corvane {
namespace {

constexpr long long kDataRecord = 13;
constexpr std::int64_t kMaxCount = std::numeric_limits<std::int64_t>::max();

struct TimeFilter {
  std::int64_t start;
  std::int64_t stop;
  bool Off() const { return start == 0 && stop == 0; }
  bool Accepts(std::int64_t time) const { return Off() || (start <= time && time <= stop); }

  // The seconds strictly between two time stamps (earlier < later) that lie
  // in range; saturates rather than overflow for absurd stamps.
  std::int64_t SecondsBetween(std::int64_t earlier, std::int64_t later) const {
    std::int64_t low = earlier + 1;  // no overflow: earlier < later
    std::int64_t high = later - 1;
    if (!Off()) {
      low = std::max(low, start);
      high = std::min(high, stop);
    }
    if (high < low) return 0;
    const std::uint64_t count = static_cast<std::uint64_t>(high) - static_cast<std::uint64_t>(low);
    return count >= static_cast<std::uint64_t>(kMaxCount) ? kMaxCount
                                                          : static_cast<std::int64_t>(count + 1);
  }
};

std::int64_t SaturatedSum(std::int64_t a, std::int64_t b) {
  return a > kMaxCount - b ? kMaxCount : a + b;
}

// Adds the valid values of one record to the group's sums and counts.
void AddValues(FieldCursor& cursor, std::vector<std::int32_t>& sums,
               std::vector<std::int32_t>& counts) {
  std::string_view field;
  const size_t values = sums.size();
  for (size_t j = 0; j < values; ++j) {
    if (!cursor.Next(field)) return;  // a short line: the rest are missing
    const int value = TrialValue(field);
    if (value >= 0) {
      sums[j] += value;
      ++counts[j];
    }
  }
}

void StoreSample(const std::vector<int>& columnOf, const std::vector<std::int32_t>& sums,
                 const std::vector<std::int32_t>& counts, EggSampleTable& table) {
  const size_t index = static_cast<size_t>(table.sampleCount);
  for (size_t j = 0; j < columnOf.size(); ++j) {
    if (columnOf[j] < 0) continue;
    EggColumn& column = table.columns[static_cast<size_t>(columnOf[j])];
    if (column.samples.size() <= index) {
      column.samples.resize(std::max(index + 1, column.samples.size() * 2), kMissingSample);
    }
    ++column.storedCount;
    column.samples[index] = counts[j] == table.resolution ? sums[j] : kMissingSample;
  }
  ++table.sampleCount;
}

}  // namespace

std::int64_t MaxSamples(std::int64_t recordCount, int resolution) {
  if (recordCount <= 0) return 0;
  return (recordCount + resolution - 1) / resolution;
}

RecordLoopResult ReadEggRecords(const RunContext& context, LineReader& reader,
                                std::int64_t recordCount, const std::vector<int>& columnOf,
                                EggSampleTable& table) {
  RecordLoopResult result;
  const TimeFilter filter{context.settings.startTime, context.settings.stopTime};
  const int resolution = table.resolution;
  std::vector<std::int32_t> sums(columnOf.size());
  std::vector<std::int32_t> counts(columnOf.size());
  bool file_has_record = false;  // the order test applies within one file
  std::int64_t r = 0;
  std::string_view line;
  std::string_view field;
  while (r < recordCount && !context.Aborted()) {
    std::fill(sums.begin(), sums.end(), 0);
    std::fill(counts.begin(), counts.end(), 0);
    bool group_had_data = false;
    for (int g = 0; g < resolution && r < recordCount; ++r) {
      const bool have_line = reader.NextLine(line);
      if (!have_line && reader.TooLong()) {
        result.lineTooLong = true;
        return result;
      }
      FieldCursor cursor(have_line ? line : std::string_view());
      cursor.Next(field);
      if (!have_line || FieldInteger(field) != kDataRecord) {
        context.ShowMessage(CFormat("Record %lld is out of sync", static_cast<long long>(r)));
        return result;  // an unfinished group is dropped
      }
      cursor.Next(field);
      const std::int64_t time = FieldInteger(field);
      const bool in_range = filter.Accepts(time);
      if (file_has_record && time <= *table.lastTimeStamp) {
        if (in_range) ++table.skippedRecords;
        continue;
      }
      if (table.lastTimeStamp && time > *table.lastTimeStamp) {
        table.missingSeconds =
            SaturatedSum(table.missingSeconds, filter.SecondsBetween(*table.lastTimeStamp, time));
      }
      table.lastTimeStamp = time;
      file_has_record = true;
      ++g;
      if (!in_range) continue;
      cursor.Skip(1);
      if (table.sampleCount == 0) table.firstSampleTime = DateTime(time);
      result.lastSeenTime = time;
      result.anyInRange = true;
      AddValues(cursor, sums, counts);
      group_had_data = true;
    }
    if (group_had_data) StoreSample(columnOf, sums, counts, table);
  }
  return result;
}

}  // namespace corvane
