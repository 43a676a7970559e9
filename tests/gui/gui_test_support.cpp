#include "gui_test_support.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

#include "core/date_time.h"
#include "eggdata/egg_data_generator.h"
#include "support/gnuplot_recorder.h"

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

// The shared environment with a QApplication, on the offscreen platform
// unless told otherwise, and with no browser ever opened.
class GuiEnvironment : public QtTestEnvironment<QApplication> {
 public:
  void SetUp() override {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QtTestEnvironment::SetUp();
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
    QtTestEnvironment::TearDown();
  }
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

constexpr auto kUnhandledLimit = std::chrono::seconds(60);

}  // namespace

std::vector<std::string> TakeOpenedUrls() {
  std::vector<std::string> urls;
  if (recorder != nullptr) urls.swap(recorder->urls);
  return urls;
}

void ClickLater(QAbstractButton* button) {
  QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
}

QString BuddyLabelText(const QWidget* widget) {
  for (const QLabel* label : widget->window()->findChildren<QLabel*>()) {
    if (label->buddy() == widget) return label->text();
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
  store_ = std::make_unique<SettingsStore>();
  window_ = std::make_unique<AnalysisWindow>(*store_);
  model().config.tempDirectory = dir.path();
  // The plot of an interactive run is launched: a stand-in records how, and
  // no plot window opens.
  gnuplotRecord = dir.File("gnuplot-arguments.txt");
  WriteGnuplotRecorder(dir.File("gnuplot"), gnuplotRecord);
  model().config.gnuplotPath = dir.File("gnuplot");
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get(), 60000));
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

#include "gui_test_support.moc"
