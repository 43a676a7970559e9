#include "gui_test_support.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QSettings>
#include <QThread>
#include <QUrl>

#include "app/numeric_locale.h"
#include "core/paths.h"

namespace corvane::testing {

namespace {

// Records the URLs that the window hands to the user's default opener.
class UrlRecorder : public QObject {
  Q_OBJECT

 public:
  std::vector<std::string> urls;

 public slots:
  void Open(const QUrl& url) { urls.push_back(url.toString().toStdString()); }
};

UrlRecorder* recorder = nullptr;

// One Qt application object and one private settings directory for the
// whole test program, so that no test touches the user's real settings or
// opens a browser.
class GuiEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::string pattern = SystemTempDirectory() + "corvane-gui-settings-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) FAIL() << "cannot create the settings directory";
    configDir_ = pattern;
    setenv("XDG_CONFIG_HOME", configDir_.c_str(), 1);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(configDir_));
    static int argc = 1;
    static char name[] = "corvane_gui_tests";
    static char* argv[] = {name, nullptr};
    app_ = new QApplication(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    UseCNumericLocale();
    recorder = new UrlRecorder;
    for (const char* scheme : {"http", "https", "file"}) {
      QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), recorder, "Open");
    }
  }
  void TearDown() override {
    for (const char* scheme : {"http", "https", "file"}) {
      QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
    delete recorder;
    recorder = nullptr;
    delete app_;
    app_ = nullptr;
    std::error_code error;
    std::filesystem::remove_all(configDir_, error);
  }

 private:
  std::string configDir_;
  QApplication* app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

constexpr auto kUnhandledLimit = std::chrono::seconds(8);

}  // namespace

void ClearStoredSettings() {
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "BrantvikR&D", "Corvane");
  settings.clear();
  settings.sync();
}

std::optional<std::string> StoredSetting(const std::string& name) {
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "BrantvikR&D", "Corvane");
  const QVariant value = settings.value(QStringLiteral("Settings/") + QString::fromStdString(name));
  if (!value.isValid()) return std::nullopt;
  return value.toString().toStdString();
}

std::vector<std::string> TakeOpenedUrls() {
  std::vector<std::string> urls;
  if (recorder != nullptr) urls.swap(recorder->urls);
  return urls;
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

void ClickLater(QAbstractButton* button) {
  QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
}

QString BuddyLabelText(const QWidget* widget) {
  const QWidget* top = widget->window();
  for (const QLabel* label : top->findChildren<QLabel*>()) {
    if (label->buddy() == widget) return label->text();
  }
  return QString();
}

ModalAnswerer::ModalAnswerer() {
  timer_.setInterval(5);
  connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
  timer_.start();
}

ModalAnswerer::~ModalAnswerer() { timer_.stop(); }

void ModalAnswerer::Poll() {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == nullptr || !modal->isVisible()) return;
  if (auto* box = qobject_cast<QMessageBox*>(modal)) {
    boxes.push_back({box->windowTitle().toStdString(), box->text().toStdString()});
    current_ = nullptr;  // the widget below the box counts as newly active
    box->button(QMessageBox::Ok) != nullptr ? box->button(QMessageBox::Ok)->click() : box->accept();
    return;
  }
  if (modal != current_) {
    // Handed over on the next poll, once the modal loop of a widget that
    // has just closed over it has returned.
    current_ = modal;
    since_ = std::chrono::steady_clock::now();
    pending_ = true;
    return;
  }
  if (pending_) {
    pending_ = false;
    if (!handlers_.empty()) {
      auto handler = std::move(handlers_.front());
      handlers_.pop_front();
      handler(modal);
    }
    return;
  }
  if (std::chrono::steady_clock::now() - since_ > kUnhandledLimit) {
    unhandled.push_back(modal->windowTitle().toStdString());
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
      dialog->reject();
    } else {
      modal->close();
    }
  }
}

bool ModalAnswerer::HasBox(const std::string& text, const std::string& title) const {
  for (const Box& box : boxes) {
    if (box.text == text && box.title == title) return true;
  }
  return false;
}

std::vector<std::string> ModalAnswerer::Texts() const {
  std::vector<std::string> texts;
  for (const Box& box : boxes) texts.push_back(box.text);
  return texts;
}

}  // namespace corvane::testing

#include "gui_test_support.moc"
