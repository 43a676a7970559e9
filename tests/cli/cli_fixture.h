// Runs corvane-cli as a separate process with a private settings store
// (XDG_CONFIG_HOME), an output root and a temporary directory of its own.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QProcess>

#include "eggdata/egg_data_generator.h"
#include "support/temp_dir.h"

namespace corvane::testing {

struct ProgramResult {
  int exitCode = -1;
  std::string out, err;
};

inline bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The text with every `from` replaced by `to`.
std::string Replace(std::string text, const std::string& from, const std::string& to);

// The records of a comma-separated table without their first field, the
// batch's start time, which differs from run to run.
std::string WithoutBatchStart(const std::string& table);

// Adds a failure for each text a stop must never produce (a fault of the
// data) that is in text.
void ExpectNoDataFault(const std::string& text);

// Runs a program (Debian's python3, Rscript) to its end in a folder.
ProgramResult RunTool(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& folder = {});

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override;
  // Starts corvane-cli with the arguments and extra environment variables.
  void Start(QProcess& process, const std::vector<std::string>& arguments,
             const std::map<std::string, std::string>& environment = {});
  // Runs it to its end.
  ProgramResult Run(const std::vector<std::string>& arguments,
                    const std::map<std::string, std::string>& environment = {});
  // "batch --set TempDir=<temp> <extra>... <file>" over a batch file of text.
  std::vector<std::string> BatchArguments(const std::string& text,
                                          const std::vector<std::string>& extra);
  ProgramResult RunBatch(const std::string& text, const std::vector<std::string>& extra = {},
                         const std::map<std::string, std::string>& environment = {});
  // Runs the batch as RunBatch does, presses Ctrl-C once stderr shows
  // `trigger`, and returns what the program wrote and its status.
  ProgramResult RunAndInterrupt(const std::string& text, const std::string& trigger,
                                const std::vector<std::string>& extra = {},
                                const std::map<std::string, std::string>& environment = {});
  // Writes synthetic data (by default the hour from 00:00:00 of the date)
  // to data/<name>; its path.
  std::string EggFile(const std::string& name, const std::string& date,
                      eggdata::EggDataOptions options = {});

  TempDir dir_;
  std::string config_ = dir_.File("config");
  std::string root_ = dir_.File("out/");
  std::string temp_ = dir_.File("tmp/");
};

}  // namespace corvane::testing
