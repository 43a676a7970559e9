#include "window_fixture.h"

#include <filesystem>

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

#include "core/date_time.h"
#include "eggdata/egg_data_generator.h"
#include "support/gnuplot_recorder.h"

namespace corvane::testing {

void WindowTest::SetUp() {
  ClearStoredSettings();
  TakeOpenedUrls();
  store_ = std::make_unique<SettingsStore>();
  window_ = std::make_unique<AnalysisWindow>(*store_);
  model().config.tempDirectory = dir.path();
  // The plot of an interactive run is launched: a stand-in records how, and
  // no plot window opens.
  gnuplotRecord = dir.File("gnuplot-arguments.txt");
  WriteGnuplotRecorder(dir.File("gnuplot"), gnuplotRecord);
  model().config.gnuplotPath = dir.File("gnuplot");
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  answerer = std::make_unique<ModalAnswerer>();
}

void WindowTest::TearDown() {
  if (window_) window_->model().Shutdown();
  answerer.reset();
  window_.reset();
  store_.reset();
}

std::string WindowTest::WriteEggData(const std::string& name, const std::string& start,
                                     const std::string& stop, int eggs) {
  eggdata::EggDataOptions options;
  options.start = SecondsFromText(start);
  options.stop = SecondsFromText(stop);
  options.eggCount = eggs;
  const std::string path = dir.File(name);
  EXPECT_TRUE(eggdata::WriteEggDataFile(path, options, false));
  return path;
}

void WindowTest::TypeLocalRequest(const std::string& eggFile, const std::string& start,
                                  const std::string& stop, const std::string& dataName) {
  form().startTime->setText(QString::fromStdString(start));
  form().stopTime->setText(QString::fromStdString(stop));
  form().remoteAccess->setChecked(false);
  form().localEggFile->setText(QString::fromStdString(eggFile));
  std::filesystem::create_directories(dir.path() + "results");
  form().outputRoot->setText(QString::fromStdString(dir.path() + "results"));
  form().dataName->setText(QString::fromStdString(dataName));
}

}  // namespace corvane::testing
