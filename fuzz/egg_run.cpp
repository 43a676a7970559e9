#include "egg_run.h"

#include "core/run_context.h"
#include "fuzz_input.h"
#include "input/egg_file_reader.h"

namespace corvane::fuzz {
namespace {

void CheckTable(const RunContext& context, const EggSampleTable& table, size_t fileCount) {
  const int resolution = context.settings.resolution;
  Require(table.eggCount >= 0 && table.eggCount <= kMaxEggs, "egg count within the table");
  Require(table.sampleCount >= 0, "sample count not negative");
  Require(table.skippedRecords >= 0 && table.missingSeconds >= 0, "counts not negative");
  Require(table.files.size() >= 1 && table.files.size() <= fileCount, "one entry per file");
  Require(table.files[0].eggIds.size() == static_cast<size_t>(table.files[0].eggCount),
          "an id per egg of the first file");
  for (int k = 0; k < kMaxEggs; ++k) {
    const EggColumn& column = table.columns[static_cast<size_t>(k)];
    if (k >= table.eggCount) {
      Require(column.samples.empty() && column.storedCount == 0, "unused columns stay empty");
      continue;
    }
    Require(column.samples.size() == static_cast<size_t>(table.sampleCount),
            "every used column holds exactly the sample count");
    Require(column.storedCount >= 0 && column.storedCount <= table.sampleCount,
            "stored count within the sample count");
    Require(column.selected == 0 || column.selected == 1, "selected is a flag");
    for (const std::int32_t value : column.samples) {
      Require(value == kMissingSample || (value >= 55 * resolution && value <= 145 * resolution),
              "a sample is the marker or a sum of valid trials");
    }
  }
  if (table.sampleCount > 0) {
    Require(table.trialSize == table.recordTrialSize * resolution && table.trialSize > 0,
            "trial size of a sample is the record's times the resolution");
    if (context.settings.startTime != 0) {
      const std::int64_t first = table.firstSampleTime.Seconds();
      Require(first >= kRangeStart && first <= kRangeStop, "first sample time in the range");
    }
  }
}

}  // namespace

EggRunOptions OptionsOfByte(std::uint8_t byte) {
  EggRunOptions options;
  options.resolution = 1 + (byte & 3);
  options.timeRange = (byte & 4) != 0;
  options.subgroup = (byte & 8) != 0;
  options.flag = (byte & 16) != 0;
  return options;
}

std::vector<std::string_view> SplitFiles(std::string_view text) {
  std::vector<std::string_view> files;
  while (files.size() < 2) {
    const size_t cut = text.find('\f');
    if (cut == std::string_view::npos) break;
    files.push_back(text.substr(0, cut));
    text.remove_prefix(cut + 1);
  }
  files.push_back(text);
  return files;
}

std::vector<std::string> ReadAndCheck(const EggRunOptions& options,
                                      const std::vector<std::string>& paths) {
  RunContext context(nullptr, nullptr);
  AnalysisSettings& settings = context.settings;
  settings.dataName = "Fuzz";
  settings.rootDirectory = ScratchDirectory();
  settings.tempDirectory = ScratchDirectory();
  settings.resolution = options.resolution;
  if (options.timeRange) {
    settings.startTime = kRangeStart;
    settings.stopTime = kRangeStop;
  }
  if (options.subgroup) settings.eggSubgroup = {1001, 1003, 1005};

  SegmentFileList files = paths;
  const int count = static_cast<int>(files.size());
  EggSampleTable table;
  ReadFirstDataFile(context, files, count, table);
  CheckTable(context, table, files.size());
  if (count == 1) {
    Require(context.Aborted() || table.sampleCount > 0, "a single file that gives no sample fails");
  }
  for (int i = 1; i < count && !context.Aborted(); ++i) {
    AppendDataFile(context, files, i, table);
    CheckTable(context, table, files.size());
  }
  if (count > 1) {
    const bool useable = CheckUseableRecords(context, table);
    Require(useable == (!context.Aborted() && table.sampleCount > 0), "useable records judged");
  }
  return files;
}

}  // namespace corvane::fuzz
