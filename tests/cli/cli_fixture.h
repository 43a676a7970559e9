// Running corvane-cli as a separate process, with a private settings store
// (XDG_CONFIG_HOME) and synthetic egg data, for end-to-end tests.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace corvane::testing {

struct ProgramResult {
  int exitCode = -1;
  bool crashed = false;
  std::string out;
  std::string err;
};

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override;

  // Runs corvane-cli with the arguments and extra environment variables.
  ProgramResult Run(const std::vector<std::string>& arguments,
                    const std::map<std::string, std::string>& environment = {});

  // Writes one hour of synthetic data (from 00:00:00 of the date) to
  // data/<name> and returns its path.
  std::string EggFile(const std::string& name, const std::string& date);

  std::string WriteBatch(const std::string& name, const std::string& text);

  // The private settings store's file.
  std::string SettingsFile() const;

  TempDir dir_;
  std::string config_;  // XDG_CONFIG_HOME of the program
  std::string root_;    // output root, with separator
  std::string temp_;    // temporary directory, with separator
};

}  // namespace corvane::testing
