#include "app_test_support.h"

#include <clocale>
#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QSettings>
#include <QThread>

#include "app/numeric_locale.h"
#include "core/paths.h"

namespace corvane::testing {

namespace {

// One Qt application object and one private settings directory for the
// whole test program, so that no test touches the user's real settings.
class AppEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    std::string pattern = SystemTempDirectory() + "corvane-app-settings-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) FAIL() << "cannot create the settings directory";
    configDir_ = pattern;
    setenv("XDG_CONFIG_HOME", configDir_.c_str(), 1);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(configDir_));
    static int argc = 1;
    static char name[] = "corvane_app_tests";
    static char* argv[] = {name, nullptr};
    app_ = new QCoreApplication(argc, argv);
    UseCNumericLocale();
  }
  void TearDown() override {
    delete app_;
    app_ = nullptr;
    std::error_code error;
    std::filesystem::remove_all(configDir_, error);
  }

 private:
  std::string configDir_;
  QCoreApplication* app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new AppEnvironment);

}  // namespace

void ClearStoredSettings() {
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "BrantvikR&D", "Corvane");
  settings.clear();
  settings.sync();
}

std::string StoredSettingsFile() {
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "BrantvikR&D", "Corvane");
  return settings.fileName().toStdString();
}

bool RunEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(1);
  }
  return true;
}

bool RecordingView::PullFields() {
  ++pulls;
  return onPull ? onPull() : true;
}

void RecordingView::ShowMessage(const std::string& text,
                                const std::optional<std::string>& caption) {
  messages.push_back(ShownMessage{text, caption});
}

std::string RecordingView::ChooseFile(const std::string& title, const std::string& filter) {
  chooserTitles.push_back(title);
  chooserFilters.push_back(filter);
  if (chooserAnswers.empty()) return {};
  std::string answer = chooserAnswers.front();
  chooserAnswers.pop_front();
  return answer;
}

std::string RecordingView::ChooseFolder(const std::string& title) {
  return ChooseFile(title, std::string());
}

bool RecordingView::OpenUrl(const std::string& url) {
  openedUrls.push_back(url);
  return openUrlResult;
}

void RecordingView::BatchFinished(int itemsStarted, bool stopped) {
  batchFinished = std::make_pair(itemsStarted, stopped);
}

std::vector<std::string> RecordingView::MessageTexts() const {
  std::vector<std::string> texts;
  for (const ShownMessage& message : messages) texts.push_back(message.text);
  return texts;
}

bool RecordingView::HasMessage(const std::string& text) const {
  for (const ShownMessage& message : messages) {
    if (message.text == text) return true;
  }
  return false;
}

}  // namespace corvane::testing
