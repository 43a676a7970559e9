// Shared set-up of the input tests: a temporary directory, a run context
// that records what it reports, and synthetic egg data files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/date_time.h"
#include "core/progress_log.h"
#include "core/run_context.h"
#include "eggdata/egg_data_generator.h"
#include "support/recording_link.h"
#include "support/temp_dir.h"

namespace corvane::testing {

// 2011-05-03 00:00:00 UTC.
inline constexpr std::int64_t kDay = 1304380800;

// Turns the progress log on, into the given file, while the object lives.
class LogCapture {
 public:
  explicit LogCapture(std::string path) : path_(std::move(path)) {
    SetLogPath(path_);
    SetLogProgress(true);
  }
  ~LogCapture() {
    SetLogProgress(false);
    SetLogPath("");
  }
  std::string Text() const { return ReadFile(path_); }

 private:
  std::string path_;
};

// A run of its own, with a copy of some settings and its own recorder.
struct SideRun {
  explicit SideRun(const AnalysisSettings& settings) : context(&link, &link) {
    context.settings = settings;
  }
  RecordingLink link;
  RunContext context;
};

class InputTest : public ::testing::Test {
 protected:
  InputTest() : context(&link, &link) {
    context.settings.dataName = "Quake";
    context.settings.rootDirectory = dir.File("root/");
    context.settings.tempDirectory = dir.File("tmp/");
    Mkdir(context.settings.rootDirectory);
    Mkdir(context.settings.tempDirectory);
  }

  static void Mkdir(const std::string& path);

  // Options for eggs ids 1001.. over [start, start + records - 1].
  static eggdata::EggDataOptions Options(int eggs, std::int64_t start, std::int64_t records) {
    eggdata::EggDataOptions options;
    options.eggCount = eggs;
    options.start = start;
    options.stop = start + records - 1;
    options.seed = 7;
    return options;
  }

  // Writes a generated file and returns its path.
  std::string Write(const std::string& name, const eggdata::EggDataOptions& options,
                    bool gzip = false) {
    const std::string path = dir.File(name);
    EXPECT_TRUE(eggdata::WriteEggDataFile(path, options, gzip));
    return path;
  }

  // The value the generator wrote for the egg at the second (-1: missing).
  static int Value(const eggdata::EggDataOptions& options, int id, std::int64_t second) {
    return eggdata::EggTrialValue(options, id, second).value_or(-1);
  }

  std::vector<std::string> messages() const { return link.messageTexts(); }

  TempDir dir;
  RecordingLink link;
  RunContext context;
};

}  // namespace corvane::testing
