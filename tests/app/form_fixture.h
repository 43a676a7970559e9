// A fixture for tests of the request form: a private settings store, output
// and temporary directories, an hour of synthetic egg data, and a form whose
// view records what it shows.
#pragma once

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app/analysis_dialog.h"
#include "app/settings_store.h"
#include "app_test_support.h"
#include "support/temp_dir.h"

namespace corvane::testing {

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A form on the fixture's directories; gnuplot is replaced by a program
  // that shows nothing.
  AnalysisDialog& MakeForm();

  // Fills the form with a local run of the fixture's hour of data.
  void SetLocalRequest(const std::string& dataName);

  // Writes a batch file and returns its path.
  std::string WriteBatch(const std::string& name, const std::string& text);

  bool WaitUntilIdle() {
    return RunEventsUntil([this] { return !form_->Busy(); });
  }
  bool WaitUntilBatchEnds() {
    return RunEventsUntil([this] { return !form_->BatchMode(); });
  }

  std::string Summary() const { return ReadFile(root_ + "summary.tst"); }

  TempDir dir_;
  std::string root_;     // output root, with separator
  std::string temp_;     // temporary directory, with separator
  std::string eggFile_;  // 2011-05-03 00:00:00 to 00:59:59, 60 eggs
  RecordingView view_;
  std::unique_ptr<SettingsStore> store_;
  std::unique_ptr<AnalysisDialog> form_;
};

}  // namespace corvane::testing
