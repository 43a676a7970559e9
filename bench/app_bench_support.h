// What the benchmarks of the request form share: a view without a window
// and a main() with a private settings store.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include <QCoreApplication>
#include <QSettings>

#include "app/form_view.h"
#include "app/numeric_locale.h"
#include "core/paths.h"

namespace corvane::bench {

// A view without a window that shows nothing.
class QuietView : public FormView {
 public:
  bool PullFields() override { return true; }
  void PushFields() override {}
  void ShowMessage(const std::string& text, const std::optional<std::string>&,
                   corvane::MessageKind) override {
    last = text;
  }
  std::string ChooseFile(const std::string&, const std::string&, const std::string&) override {
    return {};
  }
  std::string ChooseFolder(const std::string&, const std::string&) override { return {}; }
  void PushStatus() override {}
  void SetWaitCursor(bool) override {}
  void SetProgress(int) override {}
  bool OpenUrl(const std::string&) override { return false; }
  void BatchFinished(int, bool) override {}
  std::string last;
};

// Runs the benchmarks with a Qt application object and a private settings
// store: a benchmark never touches the user's settings.
inline int RunAppBenchmarks(int argc, char** argv) {
  std::string config = SystemTempDirectory() + "corvane-bench-settings-XXXXXX";
  if (mkdtemp(config.data()) == nullptr) return 1;
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  QCoreApplication app(argc, argv);
  UseCNumericLocale();
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(config));
  ::benchmark::Initialize(&argc, argv);
  ::benchmark::RunSpecifiedBenchmarks();
  ::benchmark::Shutdown();
  std::filesystem::remove_all(config);
  return 0;
}

}  // namespace corvane::bench
