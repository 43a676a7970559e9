#include "input/egg_file_reader.h"

#include <algorithm>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/c_format.h"
#include "core/paths.h"
#include "input/egg_file_header.h"
#include "input/egg_group_file.h"
#include "input/egg_record_loop.h"
#include "input/inflate_data_file.h"
#include "input/line_reader.h"

namespace corvane {
namespace {

constexpr std::string_view kCompressed = ".gz";
constexpr std::int64_t kMaxTableSamples = std::numeric_limits<std::int32_t>::max();

void Fail(RunContext& context, const std::string& message) {
  context.RunError(message);
  context.Abort();
}

bool CheckResolution(RunContext& context) {
  const int resolution = context.settings.resolution;
  if (resolution >= 1 && resolution <= kMaxResolution) return true;
  Fail(context,
       CFormat("Resolution %d is outside the allowed range 1 to %d", resolution, kMaxResolution));
  return false;
}

// Opens entry index as text, inflating a compressed entry first. `shown` is
// the name the user knows the file by: the run's name for the input, or the
// entry before inflation.
bool OpenEntry(RunContext& context, SegmentFileList& files, int index, std::string& shown,
               LineReader& reader) {
  if (index < 0 || static_cast<size_t>(index) >= files.size() ||
      files[static_cast<size_t>(index)].empty()) {
    Fail(context, CFormat("No data file for day %d of the run", index + 1));
    return false;
  }
  shown = files[static_cast<size_t>(index)];
  if (Extension(shown) == kCompressed) {
    context.settings.saveRemoteInput = false;
    if (std::string failure; !InflateDataFile(context, shown, index, files, &failure)) {
      Fail(context,
           failure.empty() ? CFormat("Unable to open %s for input", shown.c_str()) : failure);
      return false;
    }
  }
  const std::string& path = files[static_cast<size_t>(index)];
  if (!reader.Open(path)) {
    std::string message = CFormat("Unable to open %s for input", path.c_str());
    if (!reader.NotRegular().empty()) message += ": " + reader.NotRegular();
    Fail(context, message);
    return false;
  }
  shown = context.InputName(index, shown);
  return true;
}

// Refuses the file; names the over-long line, or an egg count past what a
// run holds, when that is what ended it.
void FailImproper(RunContext& context, const std::string& shown, const LineReader& reader,
                  const EggFileHeader* header = nullptr) {
  std::string message = CFormat("%s is not a proper data file for analysis", shown.c_str());
  if (header != nullptr && header->eggCount > kMaxEggs) {
    message += CFormat(": it holds %lld eggs, more than the %d a run can take", header->eggCount,
                       kMaxEggs);
  } else if (reader.TooLong()) {
    message += CFormat(": line %lld is longer than %zu bytes",
                       static_cast<long long>(reader.LineCount() + 1), LineReader::kMaxLineLength);
  }
  Fail(context, message);
}

// Checks that `extra` more samples fit the table, and sizes every used column
// for `presized` of them (filled with the marker); the record loop grows a
// column further when damaged short records outnumber that.
bool GrowColumns(RunContext& context, EggSampleTable& table, std::int64_t extra,
                 std::int64_t presized) {
  const std::int64_t size = static_cast<std::int64_t>(table.sampleCount) + presized;
  try {
    if (table.sampleCount + extra > kMaxTableSamples) throw std::length_error("too many samples");
    for (int k = 0; k < table.eggCount; ++k) {
      std::vector<std::int32_t>& samples = table.columns[static_cast<size_t>(k)].samples;
      samples.reserve(static_cast<size_t>(size));
      samples.resize(static_cast<size_t>(size), kMissingSample);
    }
  } catch (const std::exception&) {  // bad_alloc or length_error
    Fail(context, "Failed to allocate memory");
    return false;
  }
  return true;
}

void TrimColumns(EggSampleTable& table) {
  for (int k = 0; k < table.eggCount; ++k) {
    table.columns[static_cast<size_t>(k)].samples.resize(static_cast<size_t>(table.sampleCount));
  }
}

FileEggs& FileEntry(EggSampleTable& table, int index) {
  if (table.files.size() <= static_cast<size_t>(index)) {
    table.files.resize(static_cast<size_t>(index) + 1);
  }
  return table.files[static_cast<size_t>(index)];
}

// Reads the records of an opened file whose header was accepted. The header's
// count is not taken on trust: the rest of the file bounds it, as every record
// takes a line of at least two bytes. The columns are sized only for the
// records the rest holds when they are complete: a record with all its value
// fields, even empty ones, takes at least values + 5 bytes ("13,,," and a
// line feed).
RecordLoopResult ReadRecords(RunContext& context, LineReader& reader, long long recordCount,
                             const std::vector<int>& columnOf, EggSampleTable& table, bool& ok) {
  const std::int64_t remaining = std::max<std::int64_t>(reader.FileSize() - reader.Consumed(), 0);
  const std::int64_t records = std::min<std::int64_t>(recordCount, remaining / 2 + 1);
  const std::int64_t record_bytes = static_cast<std::int64_t>(columnOf.size()) + 5;
  const std::int64_t complete = std::min<std::int64_t>(records, remaining / record_bytes + 1);
  ok = GrowColumns(context, table, MaxSamples(records, table.resolution),
                   MaxSamples(complete, table.resolution));
  RecordLoopResult result;
  if (ok) result = ReadEggRecords(context, reader, records, columnOf, table);
  TrimColumns(table);
  return result;
}

// Records (and logs, as one line) the subgroup's ids that the first file
// does not hold, in ascending order: they select nothing, and the run's
// notes count them.
void NoteAbsentSubgroupIds(RunContext& context, const std::vector<std::int32_t>& fileIds,
                           EggSampleTable& table) {
  std::vector<int> ids = context.settings.eggSubgroup;
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  std::string listed;
  for (const int id : ids) {
    if (std::find(fileIds.begin(), fileIds.end(), id) != fileIds.end()) continue;
    table.absentSubgroupIds.push_back(id);
    listed += CFormat(" %d", id);
  }
  if (!listed.empty()) context.LogLine("Egg subgroup ids not in the data:" + listed);
}

}  // namespace

void ReadFirstDataFile(RunContext& context, SegmentFileList& files, int inputFileCount,
                       EggSampleTable& table) {
  table.Clear();
  table.files.resize(static_cast<size_t>(std::max(inputFileCount, 1)));
  if (context.Aborted() || !CheckResolution(context)) return;
  const int resolution = context.settings.resolution;
  std::string shown;
  LineReader reader;
  if (!OpenEntry(context, files, 0, shown, reader)) return;

  EggFileHeader header;
  const HeaderStatus status = ReadEggFileHeader(reader, context, true, header);
  if (status == HeaderStatus::kAborted) return;
  // The trial size of a sample (trial size x resolution) must fit 32 bits;
  // tested by division, so no header value can overflow the product.
  const long long trial_size = header.trialSize.value_or(0);
  if (status != HeaderStatus::kComplete || trial_size <= 0 ||
      trial_size > std::numeric_limits<std::int32_t>::max() / resolution) {
    FailImproper(context, shown, reader, &header);
    return;
  }

  table.resolution = resolution;
  table.recordTrialSize = static_cast<int>(trial_size);
  table.trialSize = static_cast<int>(trial_size * resolution);
  table.eggCount = static_cast<int>(header.eggCount);
  table.totalRecords = header.recordCount;
  std::vector<int> column_of(static_cast<size_t>(table.eggCount));
  for (int k = 0; k < table.eggCount; ++k) {
    EggColumn& column = table.columns[static_cast<size_t>(k)];
    column.eggId = header.eggIds[static_cast<size_t>(k)];
    column.columnIndex = k;
    column.selected = IsEggSelected(context.settings.eggSubgroup, column.eggId) ? 1 : 0;
    column_of[static_cast<size_t>(k)] = k;
  }
  NoteAbsentSubgroupIds(context, header.eggIds, table);
  FileEggs& entry = FileEntry(table, 0);
  entry.eggCount = table.eggCount;
  entry.eggIds = std::move(header.eggIds);

  bool ok = false;
  const RecordLoopResult result =
      ReadRecords(context, reader, header.recordCount, column_of, table, ok);
  // A stopped run ends here: where its reading stopped says nothing about
  // the file.
  if (!ok || context.Aborted()) return;
  if (result.lineTooLong) return FailImproper(context, shown, reader);
  if (table.sampleCount == 0 && inputFileCount < 2) {
    CheckUseableRecords(context, table);
  } else if (result.anyInRange) {
    table.lastRecordTime = DateTime(result.lastSeenTime);
    if (result.lastSeenTime < context.settings.stopTime && inputFileCount == 1) {
      context.RunError("Insufficient data in the file");
    }
  }
}

void AppendDataFile(RunContext& context, SegmentFileList& files, int index, EggSampleTable& table) {
  if (context.Aborted() || !CheckResolution(context)) return;
  std::string shown;
  LineReader reader;
  if (!OpenEntry(context, files, index, shown, reader)) return;

  EggFileHeader header;
  const HeaderStatus status = ReadEggFileHeader(reader, context, false, header);
  if (status == HeaderStatus::kAborted) return;
  if (status != HeaderStatus::kComplete) {
    FailImproper(context, shown, reader, &header);
    return;
  }
  if (header.trialSize && *header.trialSize != table.recordTrialSize) {
    context.ShowMessage(
        CFormat("Trialsize changed from %d to %lld", table.recordTrialSize, *header.trialSize));
  }

  // Each egg of this file goes to the first file's column with its id.
  std::vector<int> column_of(header.eggIds.size(), -1);
  std::vector<bool> taken(static_cast<size_t>(table.eggCount), false);
  for (size_t j = 0; j < header.eggIds.size(); ++j) {
    for (int k = 0; k < table.eggCount; ++k) {
      if (table.columns[static_cast<size_t>(k)].eggId != header.eggIds[j]) continue;
      if (!taken[static_cast<size_t>(k)]) {
        taken[static_cast<size_t>(k)] = true;
        column_of[j] = k;
      }
      break;
    }
  }
  FileEggs& entry = FileEntry(table, index);
  entry.eggCount = static_cast<int>(header.eggCount);
  entry.eggIds = std::move(header.eggIds);
  table.totalRecords += header.recordCount;

  bool ok = false;
  const RecordLoopResult result =
      ReadRecords(context, reader, header.recordCount, column_of, table, ok);
  if (ok && result.lineTooLong) return FailImproper(context, shown, reader);
  if (ok && result.anyInRange) table.lastRecordTime = DateTime(result.lastSeenTime);
}

bool CheckUseableRecords(RunContext& context, const EggSampleTable& table) {
  if (context.Aborted()) return false;
  if (table.sampleCount > 0) return true;
  Fail(context, "No useable records");
  return false;
}

}  // namespace corvane
