// A shown main window on a fresh private settings store, with a temporary
// directory for its runs, a gnuplot that records its arguments, and a modal
// answerer.
#pragma once

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app/analysis_dialog.h"
#include "app/settings_store.h"
#include "gui/analysis_window.h"
#include "gui/request_form.h"
#include "gui_test_support.h"
#include "support/temp_dir.h"

namespace corvane::testing {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes one file of synthetic egg data from start to stop ("yyyy-mm-dd
  // hh:mm:ss") and returns its path.
  std::string WriteEggData(const std::string& name, const std::string& start,
                           const std::string& stop, int eggs = 20);

  // Fills the form's controls for a local run of the file over the range.
  void TypeLocalRequest(const std::string& eggFile, const std::string& start,
                        const std::string& stop, const std::string& dataName);

  AnalysisWindow& window() { return *window_; }
  RequestForm& form() { return window_->form(); }
  AnalysisDialog& model() { return window_->model(); }

  TempDir dir;
  std::string gnuplotRecord;  // what the window's gnuplot was started with
  std::unique_ptr<ModalAnswerer> answerer;

 private:
  std::unique_ptr<SettingsStore> store_;
  std::unique_ptr<AnalysisWindow> window_;
};

}  // namespace corvane::testing
