#include "qt_test_environment.h"

#include <cstdlib>

#include <QSettings>
#include <QThread>

#include "core/paths.h"

namespace corvane::testing {

std::string UsePrivateSettingsDirectory() {
  std::string pattern = SystemTempDirectory() + "corvane-test-settings-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "cannot create " << pattern;
  setenv("XDG_CONFIG_HOME", pattern.c_str(), 1);
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                     QString::fromStdString(pattern));
  return pattern;
}

void ClearStoredSettings() {
  QSettings settings("BrantvikR&D", "Corvane");
  settings.clear();
  settings.sync();
}

std::optional<std::string> StoredSetting(const std::string& name) {
  const QSettings settings("BrantvikR&D", "Corvane");
  const QVariant value = settings.value(QStringLiteral("Settings/") + QString::fromStdString(name));
  if (!value.isValid()) return std::nullopt;
  return value.toString().toStdString();
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

}  // namespace corvane::testing
