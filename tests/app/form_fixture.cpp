#include "form_fixture.h"

#include <filesystem>

#include "core/date_time.h"
#include "core/progress_log.h"
#include "eggdata/egg_data_generator.h"

namespace corvane::testing {

void FormTest::SetUp() {
  ClearStoredSettings();
  SetLogProgress(false);
  SetLogPath("");
  root_ = dir_.File("out/");
  temp_ = dir_.File("tmp/");
  std::filesystem::create_directories(root_);
  std::filesystem::create_directories(temp_);
  std::filesystem::create_directories(dir_.File("data"));
  eggFile_ = dir_.File("data/egg.csv");
  eggdata::EggDataOptions options;
  options.start = SecondsFromText("2011-05-03 00:00:00");
  options.stop = SecondsFromText("2011-05-03 00:59:59");
  ASSERT_TRUE(eggdata::WriteEggDataFile(eggFile_, options, false));
  store_ = std::make_unique<SettingsStore>();
}

void FormTest::TearDown() {
  form_.reset();
  SetLogProgress(false);
  SetLogPath("");
}

AnalysisDialog& FormTest::MakeForm() {
  form_ = std::make_unique<AnalysisDialog>(*store_, view_);
  view_.statusSource = [this] { return form_->fields.status; };
  form_->config.tempDirectory = temp_;
  form_->config.gnuplotPath = "/bin/true";
  form_->fields.outputRoot = root_;
  return *form_;
}

void FormTest::SetLocalRequest(const std::string& dataName) {
  AnalysisFields& fields = form_->fields;
  fields.dataName = dataName;
  fields.remoteAccess = false;
  fields.localEggFile = eggFile_;
  fields.startTime = "2011-05-03 00:00:00";
  fields.stopTime = "2011-05-03 00:59:59";
}

std::string FormTest::WriteBatch(const std::string& name, const std::string& text) {
  const std::string path = dir_.File(name);
  WriteFile(path, text);
  return path;
}

}  // namespace corvane::testing
