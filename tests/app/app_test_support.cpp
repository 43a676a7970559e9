#include "app_test_support.h"

#include <filesystem>

#include "core/date_time.h"
#include "core/progress_log.h"
#include "eggdata/egg_data_generator.h"

namespace corvane::testing {

namespace {

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtTestEnvironment<QCoreApplication>);

}  // namespace

void FormTest::SetUp() {
  ClearStoredSettings();
  SetLogProgress(false);
  SetLogPath("");
  std::filesystem::create_directories(root_);
  std::filesystem::create_directories(temp_);
  std::filesystem::create_directories(dir_.File("data"));
  eggdata::EggDataOptions options;
  options.start = SecondsFromText("2011-05-03 00:00:00");
  options.stop = SecondsFromText("2011-05-03 00:59:59");
  ASSERT_TRUE(eggdata::WriteEggDataFile(eggFile_, options, false));
  store_ = std::make_unique<SettingsStore>();
  MakeForm();
}

void FormTest::TearDown() {
  form_.reset();
  SetLogProgress(false);
  SetLogPath("");
}

AnalysisDialog& FormTest::MakeForm(const std::string& dataName) {
  form_.reset();
  form_ = std::make_unique<AnalysisDialog>(*store_, view_);
  form_->config.tempDirectory = temp_;
  form_->config.gnuplotPath = "/bin/true";
  AnalysisFields& fields = form_->fields;
  fields.outputRoot = root_;
  fields.dataName = dataName;
  fields.remoteAccess = false;
  fields.localEggFile = eggFile_;
  fields.startTime = "2011-05-03 00:00:00";
  fields.stopTime = "2011-05-03 00:59:59";
  return *form_;
}

std::string FormTest::WriteBatch(const std::string& text) {
  const std::string path = dir_.File("run.ebb");
  WriteFile(path, text);
  return path;
}

}  // namespace corvane::testing
