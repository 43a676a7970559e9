#include "gui_test_support.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include <sys/stat.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QWindow>

#include "core/date_time.h"
#include "eggdata/egg_data_generator.h"
#include "support/gnuplot_recorder.h"

namespace corvane::testing {

namespace {

// The folder of the stand-in opener, its record and what it does next.
std::string openerDirectory;

std::string OpenerRecord() { return openerDirectory + "opened.txt"; }
std::string OpenerLinesFile() { return openerDirectory + "lines"; }

// The shared environment with a QApplication, on the offscreen platform
// unless told otherwise, and with no browser ever opened: the stand-in
// opener comes first on the PATH.
class GuiEnvironment : public QtTestEnvironment<QApplication> {
 public:
  void SetUp() override {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    openerDirectory = opener_.path();
    const std::string script = opener_.File("xdg-open");
    WriteFile(script, "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + OpenerRecord() + "'\n. '" +
                          OpenerLinesFile() + "'\n");
    chmod(script.c_str(), 0755);
    SetOpenerStatus(0);
    const char* path = std::getenv("PATH");
    setenv("PATH", (openerDirectory + ":" + (path ? path : "/usr/bin:/bin")).c_str(), 1);
    QtTestEnvironment::SetUp();
  }

 private:
  TempDir opener_;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

}  // namespace

bool WaitFor(const std::function<bool()>& done) { return RunEventsUntil(done, kWindowDeadline); }

std::vector<std::string> TakeOpenedUrls() {
  std::vector<std::string> urls;
  std::istringstream lines(ReadFile(OpenerRecord()));
  for (std::string line; std::getline(lines, line);) urls.push_back(line);
  std::filesystem::remove(OpenerRecord());
  return urls;
}

void SetOpenerLines(const std::string& lines) { WriteFile(OpenerLinesFile(), lines + "\n"); }

void Press(QWidget& window, Qt::Key key, Qt::KeyboardModifiers modifiers) {
  if (QApplication::activeWindow() != &window) window.activateWindow();
  ASSERT_TRUE(WaitFor([&window] { return QApplication::activeWindow() == &window; }));
  QTest::keyClick(&window, key, modifiers);
}

void ClickLater(QAbstractButton* button) {
  QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
}

QString WithoutAccessKey(const QString& text) {
  QString plain = text;
  return plain.remove(QLatin1Char('&'));
}

QString BuddyLabelText(const QWidget* widget) {
  for (const QLabel* label : widget->window()->findChildren<QLabel*>()) {
    if (label->buddy() == widget) return WithoutAccessKey(label->text());
  }
  return QString();
}

ModalAnswerer::ModalAnswerer() {
  timer_.setInterval(5);
  connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
  timer_.start();
}

void ModalAnswerer::Poll() {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == nullptr || !modal->isVisible()) return;
  if (auto* box = qobject_cast<QMessageBox*>(modal); box != nullptr && acknowledgeBoxes) {
    boxes.push_back({box->windowTitle().toStdString(), box->text().toStdString(), box->icon()});
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
  if (std::chrono::steady_clock::now() - since_ > kWindowDeadline) {
    unhandled.push_back(modal->windowTitle().toStdString());
    modal->close();  // a dialog's close rejects it
  }
}

bool ModalAnswerer::HasBox(const std::string& text, const std::string& title) const {
  return std::any_of(boxes.begin(), boxes.end(),
                     [&](const Box& box) { return box.text == text && box.title == title; });
}

std::vector<std::string> ModalAnswerer::Texts() const {
  std::vector<std::string> texts;
  for (const Box& box : boxes) texts.push_back(box.text);
  return texts;
}

void WindowTest::SetUp() {
  ClearStoredSettings();
  TakeOpenedUrls();
  SetOpenerStatus(0);
  store_ = std::make_unique<SettingsStore>();
  window_ = std::make_unique<AnalysisWindow>(*store_);
  model().config.tempDirectory = dir.path();
  // The plot of an interactive run is launched: a stand-in records how, and
  // no plot window opens.
  gnuplotRecord = dir.File("gnuplot-arguments.txt");
  WriteGnuplotRecorder(dir.File("gnuplot"), gnuplotRecord);
  model().config.gnuplotPath = dir.File("gnuplot");
  window_->show();
  // The window is active, as for a user who has just started it: its
  // shortcuts and access keys need that.
  window_->activateWindow();
  ASSERT_TRUE(WaitFor([this] {
    return window_->windowHandle() != nullptr && window_->windowHandle()->isExposed() &&
           QApplication::activeWindow() == window_.get();
  }));
  answerer = std::make_unique<ModalAnswerer>();
}

void WindowTest::TearDown() {
  if (window_) window_->model().Shutdown();
  if (answerer) {
    EXPECT_EQ(answerer->unhandled, std::vector<std::string>{});
  }
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
