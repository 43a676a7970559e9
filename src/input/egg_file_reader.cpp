#include "input/egg_file_reader.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/c_format.h"
#include "core/paths.h"
#include "input/egg_file_header.h"
#include "input/egg_group_file.h"
#include "input/egg_record_loop.h"
#include "input/gz_file.h"
#include "input/line_reader.h"
#include "input/parsed_egg_file.h"

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

// Fails the run for a compressed text that stopped on a problem.
void FailStream(RunContext& context, const std::string& path, const LineReader& reader) {
  if (reader.Problem() == InflatingStream::Problem::kTooLarge) {
    const std::string message = CFormat("%s is too large: its data exceed %lld bytes when inflated",
                                        path.c_str(), static_cast<long long>(kMaxInflatedBytes));
    context.LogLine(message);
    Fail(context, message);
    return;
  }
  if (reader.Compressed()) context.LogLine(CFormat("Compressed file %s is damaged", path.c_str()));
  Fail(context, CFormat("Unable to open %s for input", path.c_str()));
}

// Opens the file at path (inflating a ".gz" file as it is read) and parses
// it; nullptr after reporting why it could not be (or after a stop).
std::shared_ptr<const ParsedEggFile> ParseFile(RunContext& context, const std::string& path) {
  LineReader reader;
  const bool compressed = Extension(path) == kCompressed;
  if (!(compressed ? reader.OpenCompressed(path) : reader.Open(path))) {
    std::string message = CFormat("Unable to open %s for input", path.c_str());
    if (!reader.NotRegular().empty()) message += ": " + reader.NotRegular();
    Fail(context, message);
    return nullptr;
  }
  if (reader.EmptyText()) {
    context.LogLine(CFormat("Compressed file %s holds no data", path.c_str()));
    Fail(context, CFormat("Unable to open %s for input", path.c_str()));
    return nullptr;
  }
  if (reader.MessagePage()) {
    context.LogLine("Received message instead of data from remote server");
    if (!context.settings.batchMode) {
      context.ShowMessage(
          CFormat("%s: Failed to receive data from server", context.settings.dataName.c_str()),
          std::nullopt);
    }
    Fail(context, CFormat("Unable to open %s for input", path.c_str()));
    return nullptr;
  }
  auto parsed = std::make_shared<ParsedEggFile>();
  if (!ParseEggFile(reader, context, *parsed)) {
    if (!context.Aborted()) FailStream(context, path, reader);
    return nullptr;
  }
  // A compressed text counts only once its check sum at the end is sound.
  if (!reader.CheckToEnd()) {
    FailStream(context, path, reader);
    return nullptr;
  }
  return parsed;
}

// Parses entry index, or takes it from the run's parsed inputs or the
// batch's cache. `shown` is the name the user knows the file by: the run's
// name for the input, or the entry itself.
std::shared_ptr<const ParsedEggFile> ParseEntry(RunContext& context, const SegmentFileList& files,
                                                int index, ParsedFileCache* cache,
                                                ParsedInputs* parsed, std::string& shown) {
  const bool listed = index >= 0 && static_cast<size_t>(index) < files.size();
  const std::string path = listed ? files[static_cast<size_t>(index)] : std::string();
  if (parsed != nullptr && index >= 0 && static_cast<size_t>(index) < parsed->size() &&
      (*parsed)[static_cast<size_t>(index)] != nullptr) {
    shown = context.InputName(index, path);
    // The table takes the values over; the parse need not stay.
    return std::move((*parsed)[static_cast<size_t>(index)]);
  }
  if (path.empty()) {
    Fail(context, CFormat("No data file for day %d of the run", index + 1));
    return nullptr;
  }
  shown = context.InputName(index, path);
  if (cache == nullptr) return ParseDataFile(context, path);
  try {
    return cache->Get(path, [&] { return ParseFile(context, path); });
  } catch (const std::bad_alloc&) {
    Fail(context, "Failed to allocate memory");
    return nullptr;
  }
}

// Refuses the file; names the over-long line, or an egg count past what a
// run holds, when that is what ended it.
void FailImproper(RunContext& context, const std::string& shown, std::int64_t longLine,
                  const EggFileHeader* header = nullptr) {
  std::string message = CFormat("%s is not a proper data file for analysis", shown.c_str());
  if (header != nullptr && header->eggCount > kMaxEggs) {
    message += CFormat(": it holds %lld eggs, more than the %d a run can take", header->eggCount,
                       kMaxEggs);
  } else if (longLine > 0) {
    message += CFormat(": line %lld is longer than %zu bytes", static_cast<long long>(longLine),
                       LineReader::kMaxLineLength);
  }
  Fail(context, message);
}

// Checks that `extra` more samples fit the table, and sizes every used column
// for them (filled with the marker).
bool GrowColumns(RunContext& context, EggSampleTable& table, std::int64_t extra) {
  const std::int64_t size = static_cast<std::int64_t>(table.sampleCount) + extra;
  try {
    if (size > kMaxTableSamples) throw std::length_error("too many samples");
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

// The most samples the file's records can give the run: every sample takes
// at least one record in the run's time range.
std::int64_t SamplesInRange(const RunContext& context, const ParsedEggFile& file, int resolution) {
  const std::int64_t start = context.settings.startTime;
  const std::int64_t stop = context.settings.stopTime;
  const std::int64_t most = MaxSamples(file.RecordCount(), resolution);
  if (start == 0 && stop == 0) return most;
  const auto in_range = std::count_if(file.times.begin(), file.times.end(),
                                      [&](std::int64_t t) { return start <= t && t <= stop; });
  return std::min<std::int64_t>(most, in_range);
}

// Folds the parsed records into the table, whose columns are sized for all
// the samples they can give the run (an hour's items of a day's file touch
// an hour's memory).
RecordLoopResult ReadRecords(RunContext& context, const ParsedEggFile& file,
                             const std::vector<int>& columnOf, EggSampleTable& table, bool& ok) {
  ok = GrowColumns(context, table, SamplesInRange(context, file, table.resolution));
  RecordLoopResult result;
  if (ok) result = FoldEggRecords(context, file, columnOf, table);
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

std::shared_ptr<const ParsedEggFile> ParseDataFile(RunContext& context, const std::string& path) {
  try {
    return ParseFile(context, path);
  } catch (const std::bad_alloc&) {
    Fail(context, "Failed to allocate memory");
    return nullptr;
  }
}

void ReadFirstDataFile(RunContext& context, SegmentFileList& files, int inputFileCount,
                       EggSampleTable& table, ParsedFileCache* cache, ParsedInputs* parsed) {
  table.Clear();
  table.files.resize(static_cast<size_t>(std::max(inputFileCount, 1)));
  if (context.Aborted() || !CheckResolution(context)) return;
  const int resolution = context.settings.resolution;
  std::string shown;
  const std::shared_ptr<const ParsedEggFile> file =
      ParseEntry(context, files, 0, cache, parsed, shown);
  if (file == nullptr) return;
  const EggFileHeader& header = file->header;
  // The first line must carry the marker; a line too long to read says so.
  if (!header.marked) return FailImproper(context, shown, file->longLine == 1 ? 1 : 0);
  // The trial size of a sample (trial size x resolution) must fit 32 bits;
  // tested by division, so no header value can overflow the product.
  const long long trial_size = header.trialSize.value_or(0);
  if (file->headerStatus != HeaderStatus::kComplete) {
    return FailImproper(context, shown, file->longLine, &header);
  }
  if (trial_size <= 0 || trial_size > std::numeric_limits<std::int32_t>::max() / resolution) {
    return FailImproper(context, shown, 0, &header);
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
  entry.eggIds = header.eggIds;

  bool ok = false;
  const RecordLoopResult result = ReadRecords(context, *file, column_of, table, ok);
  // A stopped run ends here: where its reading stopped says nothing about
  // the file.
  if (!ok || context.Aborted()) return;
  if (result.lineTooLong) return FailImproper(context, shown, file->longLine);
  if (table.sampleCount == 0 && inputFileCount < 2) {
    CheckUseableRecords(context, table);
  } else if (result.anyInRange) {
    table.lastRecordTime = DateTime(result.lastSeenTime);
    if (result.lastSeenTime < context.settings.stopTime && inputFileCount == 1) {
      context.RunError("Insufficient data in the file");
    }
  }
}

void AppendDataFile(RunContext& context, SegmentFileList& files, int index, EggSampleTable& table,
                    ParsedFileCache* cache, ParsedInputs* parsed) {
  if (context.Aborted() || !CheckResolution(context)) return;
  std::string shown;
  const std::shared_ptr<const ParsedEggFile> file =
      ParseEntry(context, files, index, cache, parsed, shown);
  if (file == nullptr) return;
  const EggFileHeader& header = file->header;
  if (file->headerStatus != HeaderStatus::kComplete) {
    return FailImproper(context, shown, file->longLine, &header);
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
  entry.eggIds = header.eggIds;
  table.totalRecords += header.recordCount;

  bool ok = false;
  const RecordLoopResult result = ReadRecords(context, *file, column_of, table, ok);
  if (ok && result.lineTooLong) return FailImproper(context, shown, file->longLine);
  if (ok && result.anyInRange) table.lastRecordTime = DateTime(result.lastSeenTime);
}

bool CheckUseableRecords(RunContext& context, const EggSampleTable& table) {
  if (context.Aborted()) return false;
  if (table.sampleCount > 0) return true;
  Fail(context, "No useable records");
  return false;
}

}  // namespace corvane
