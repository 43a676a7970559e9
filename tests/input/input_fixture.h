// Shared set-up of the input tests: a temporary directory with a root and a
// temporary folder, a run context that records what it reports, the
// progress log in a file, synthetic egg data files, and the readers driven
// as a run drives them.
#pragma once

#include <filesystem>
#include <optional>

#include <gtest/gtest.h>

#include "core/progress_log.h"
#include "eggdata/egg_data_generator.h"
#include "input/egg_file_reader.h"
#include "support/recording_link.h"
#include "support/temp_dir.h"

namespace corvane::testing {

inline constexpr std::int64_t kDay = 1304380800;  // 2011-05-03 00:00:00 UTC

// A hand-made file's header for the ids (`eggs` of them) claiming
// `records` records, and its record at kDay + offset.
inline std::string EggHeader(const std::string& ids, long long eggs, const std::string& records,
                             const std::string& trialSize = "200") {
  return "1,Samples per record\n10,4," + trialSize + "\n11,1," + std::to_string(eggs) + "\n11,4," +
         records + "\n12,,," + ids + "\n";
}
inline std::string EggRecord(std::int64_t offset, const std::string& values) {
  return "13," + std::to_string(kDay + offset) + ",t," + values + "\n";
}
// A header and one record per value list, a second apart from kDay; by
// default the header claims as many records as there are.
inline std::string EggText(const std::string& ids, long long eggs,
                           const std::vector<std::string>& values, std::string records = "",
                           const std::string& trialSize = "200") {
  if (records.empty()) records = std::to_string(values.size());
  std::string text = EggHeader(ids, eggs, records, trialSize);
  for (size_t i = 0; i < values.size(); ++i) text += EggRecord(i, values[i]);
  return text;
}

// A recorder that, once told the run, stops it when a message is shown: the
// user pressing Stop while a message box is up.
struct StopOnMessageLink : RecordingLink {
  void ShowMessage(const std::string& text, const std::optional<std::string>& caption,
                   MessageKind kind) override {
    RecordingLink::ShowMessage(text, caption, kind);
    if (stops != nullptr) stops->RequestStop();
  }
  RunContext* stops = nullptr;
};

// A run of its own, with a copy of some settings and its own recorder.
struct SideRun {
  explicit SideRun(const AnalysisSettings& settings) { context.settings = settings; }
  StopOnMessageLink link;
  RunContext context{&link, &link};
};

class InputTest : public ::testing::Test {
 protected:
  InputTest() {
    context.settings.dataName = "Quake";
    context.settings.rootDirectory = dir.File("root/");
    context.settings.tempDirectory = dir.File("tmp/");
    std::filesystem::create_directories(dir.File("root"));
    std::filesystem::create_directories(dir.File("tmp"));
    SetLogPath(dir.File("egg.log"));
    SetLogProgress(true);
  }
  ~InputTest() override {
    SetLogProgress(false);
    SetLogPath("");
  }
  std::string Log() const { return ReadFile(dir.File("egg.log")); }

  // Eggs 1001.. over [start, start + records - 1].
  static eggdata::EggDataOptions Options(int eggs, std::int64_t start, std::int64_t records) {
    eggdata::EggDataOptions options;
    options.eggCount = eggs;
    options.start = start;
    options.stop = start + records - 1;
    options.seed = 7;
    return options;
  }
  std::string Write(const std::string& name, const eggdata::EggDataOptions& options,
                    bool gzip = false) {
    EXPECT_TRUE(eggdata::WriteEggDataFile(dir.File(name), options, gzip));
    return dir.File(name);
  }
  std::string Hand(const std::string& name, const std::string& text) {
    WriteFile(dir.File(name), text);
    return dir.File(name);
  }
  // The value written for the egg at the second, as the table stores it.
  static int Value(const eggdata::EggDataOptions& options, int id, std::int64_t second) {
    return eggdata::EggTrialValue(options, id, second).value_or(kMissingSample);
  }

  // Reads the files into the table as a run does, in a fresh run with this
  // test's settings: the first, each further one while the run goes on, and
  // for several files the check for useable records, through the cache when
  // one is given. Returns the messages.
  std::vector<std::string> Read(const SegmentFileList& paths, ParsedFileCache* cache = nullptr) {
    run.emplace(context.settings);
    if (stopOnMessage) run->link.stops = &run->context;
    files = paths;
    const int count = static_cast<int>(files.size());
    ReadFirstDataFile(run->context, files, count, table, cache);
    for (int i = 1; i < count && !run->context.Aborted(); ++i) {
      AppendDataFile(run->context, files, i, table, cache);
    }
    if (count > 1) CheckUseableRecords(run->context, table);
    return run->link.messageTexts();
  }
  std::int32_t Sample(int column, int index) const {
    return table.columns[static_cast<size_t>(column)].samples[static_cast<size_t>(index)];
  }
  // The last Read's table holds what the expected one holds.
  void ExpectTable(const EggSampleTable& expected) const {
    ASSERT_EQ(table.sampleCount, expected.sampleCount);
    ASSERT_EQ(table.eggCount, expected.eggCount);
    for (int k = 0; k < table.eggCount; ++k) {
      EXPECT_EQ(table.columns[k].samples, expected.columns[k].samples) << k;
    }
    EXPECT_EQ(table.firstSampleTime.Seconds(), expected.firstSampleTime.Seconds());
  }

  TempDir dir;
  RecordingLink link;
  RunContext context{&link, &link};
  std::optional<SideRun> run;  // the last Read's run
  bool stopOnMessage = false;  // Read's runs are stopped at their first message
  SegmentFileList files;
  EggSampleTable table;
};

}  // namespace corvane::testing
