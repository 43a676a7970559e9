#include "input/egg_file_header.h"

#include <string_view>

#include "input/egg_fields.h"
#include "input/egg_sample_table.h"

namespace corvane {
namespace {

constexpr int kTrialSizeRecord = 10;
constexpr int kCountRecord = 11;
constexpr int kIdRecord = 12;
constexpr int kTrialSizeKey = 4;
constexpr int kEggCountKey = 1;
constexpr int kRecordCountKey = 4;

// Takes the N ids of a type-12 line; false when the line holds fewer.
bool TakeEggIds(std::string_view line, EggFileHeader& header) {
  FieldCursor cursor(line);
  cursor.Skip(3);
  header.eggIds.clear();
  std::string_view field;
  for (long long j = 0; j < header.eggCount; ++j) {
    if (!cursor.Next(field)) return false;
    const std::optional<std::int32_t> id = FieldInt32(field);
    if (!id) return false;
    header.eggIds.push_back(*id);
  }
  return true;
}

}  // namespace

HeaderStatus ReadEggFileHeader(LineReader& reader, const RunContext& context, bool requireMarker,
                               EggFileHeader& header) {
  header = EggFileHeader();
  std::string_view line;
  bool first = true;
  for (;;) {
    if (context.Aborted()) return HeaderStatus::kAborted;
    if (!reader.NextLine(line)) return HeaderStatus::kImproper;
    if (first) {
      header.marked = line.find("Samples per record") != std::string_view::npos;
      if (requireMarker && !header.marked) return HeaderStatus::kImproper;
      first = false;
    }
    FieldCursor cursor(line);
    std::string_view type_field, key_field, value_field;
    cursor.Next(type_field);
    const long long type = FieldInteger(type_field);
    if (type == kIdRecord) break;
    if (type != kTrialSizeRecord && type != kCountRecord) continue;
    cursor.Next(key_field);
    cursor.Next(value_field);
    const long long key = FieldInteger(key_field);
    const long long value = FieldInteger(value_field);
    if (type == kTrialSizeRecord && key == kTrialSizeKey) header.trialSize = value;
    if (type == kCountRecord && key == kEggCountKey) header.eggCount = value;
    if (type == kCountRecord && key == kRecordCountKey) header.recordCount = value;
  }
  if (header.eggCount < 0 || header.eggCount > kMaxEggs || header.recordCount < 0 ||
      header.recordCount > kMaxRecordCount) {
    return HeaderStatus::kImproper;
  }
  return TakeEggIds(line, header) ? HeaderStatus::kComplete : HeaderStatus::kImproper;
}

}  // namespace corvane
