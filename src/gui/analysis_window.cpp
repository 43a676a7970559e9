#include "gui/analysis_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QUrl>

#include "app/about_box.h"
#include "app/analysis_dialog.h"
#include "app/menu_commands.h"
#include "gui/about_window.h"
#include "gui/app_icon.h"
#include "gui/audio_window.h"
#include "gui/calculator_window.h"
#include "gui/customize_window.h"
#include "gui/desktop_opener.h"
#include "gui/message_box.h"
#include "gui/request_form.h"

namespace corvane {

namespace {

// How long the user's default opener may take to say that it cannot show a
// page (see OpenWithDesktopOpener).
constexpr int kOpenerWaitMs = 2000;

// The local files among a drag's URLs, in order.
std::vector<std::string> LocalFiles(const QMimeData* data) {
  std::vector<std::string> paths;
  if (data == nullptr || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
  }
  return paths;
}

}  // namespace

AnalysisWindow::AnalysisWindow(SettingsStore& store, QWidget* parent)
    : QMainWindow(parent), choosers_(this) {
  setWindowTitle(QStringLiteral("Corvane"));
  setWindowIcon(CorvaneIcon());
  form_ = new RequestForm(this);
  setCentralWidget(form_);
  setAcceptDrops(true);
  CreateMenus();
  // The model loads the stored settings; the controls show them from here.
  model_ = std::make_unique<AnalysisDialog>(store, *this);
  PushFields();
  ConnectButtons();
  BusyChanged();
}

AnalysisWindow::~AnalysisWindow() = default;

// The menu titles take the access keys F, O and H of the window; the form's
// labels and buttons take the other letters (see request_form.h).
void AnalysisWindow::CreateMenus() {
  auto add = [this](QMenu* menu, const char* text, auto command, QKeySequence shortcut = {}) {
    QAction* action = menu->addAction(QString::fromLatin1(text));
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, command);
    return action;
  };
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  actions_.openBatchFile = add(
      file, "Open &Batch File", [this] { model_->OpenBatchFile(); },
      QKeySequence(Qt::CTRL | Qt::Key_O));
  actions_.openLocalEggFile = add(
      file, "Open &Local EGG file", [this] { model_->OpenLocalEggFile(); },
      QKeySequence(Qt::CTRL | Qt::Key_L));
  actions_.openTimeZoneConverter =
      add(file, "Open &Time Zone Converter", [this] { OpenTimeZoneConverter(*model_); });
  file->addSeparator();
  actions_.exit = add(
      file, "E&xit", [this] { Exit(); }, QKeySequence(Qt::CTRL | Qt::Key_Q));

  QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
  actions_.customize = add(options, "&Customize...", [this] { ShowCustomize(); });
  actions_.audio = add(options, "&Audio...", [this] { ShowAudio(); });
  actions_.probCalculator = add(options, "&Prob Calculator...", [this] { ShowCalculator(); });

  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  actions_.help = add(
      help, "&Help", [this] { OpenHelp(*model_); }, QKeySequence(Qt::Key_F1));
  actions_.about = add(help, "&About", [this] { ShowAbout(); });
  actions_.kelmarHome = add(help, "&Kelmar Home", [this] { OpenKelmarHome(*model_); });

  actions_.aboutCorvane = new QAction(QString::fromLatin1(kAboutMenuItem), this);
  connect(actions_.aboutCorvane, &QAction::triggered, this, &AnalysisWindow::ShowAbout);
}

void AnalysisWindow::ConnectButtons() {
  connect(form_->analyzeButton, &QPushButton::clicked, this, [this] { model_->AnalyzeData(); });
  connect(form_->stopButton, &QPushButton::clicked, this, [this] { model_->Stop(); });
  connect(form_->displayButton, &QPushButton::clicked, this, [this] { model_->Display(); });
  connect(form_->runBatchButton, &QPushButton::clicked, this, [this] { model_->RunBatchFile(); });

  // Ctrl+R is "Analyze data" wherever the focus is; Esc is "Stop" while
  // there is something to stop (BusyChanged enables it).
  auto* analyze = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), this);
  connect(analyze, &QShortcut::activated, this, [this] {
    if (form_->analyzeButton->isEnabled()) form_->analyzeButton->click();
  });
  stopShortcut_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(stopShortcut_, &QShortcut::activated, form_->stopButton, &QPushButton::click);
}

// --- FormView ---

bool AnalysisWindow::PullFields() { return form_->Pull(model_->fields, *this); }

void AnalysisWindow::PushFields() {
  if (model_) form_->Push(model_->fields);
}

void AnalysisWindow::ShowMessage(const std::string& text, const std::optional<std::string>& caption,
                                 MessageKind kind) {
  ShowMessageBox(this, text, caption, kind);
}

std::string AnalysisWindow::ChooseFile(const std::string& title, const std::string& filter,
                                       const std::string& current) {
  return choosers_.ChooseFile(title, filter, current);
}

std::string AnalysisWindow::ChooseFolder(const std::string& title, const std::string& current) {
  return choosers_.ChooseFolder(title, current);
}

void AnalysisWindow::PushStatus() { form_->PushStatus(model_->fields); }

void AnalysisWindow::SetWaitCursor(bool on) {
  if (on) {
    setCursor(Qt::WaitCursor);
  } else {
    unsetCursor();
  }
}

void AnalysisWindow::SetProgress(int percent) { form_->SetProgress(percent); }

bool AnalysisWindow::OpenUrl(const std::string& url) {
  // A page given without a scheme ("www.example.org/x") is a web page.
  const QUrl page = QUrl::fromUserInput(QString::fromStdString(url));
  return page.isValid() &&
         OpenWithDesktopOpener(page.toString(QUrl::FullyEncoded).toStdString(), kOpenerWaitMs);
}

void AnalysisWindow::BatchFinished(int /*itemsStarted*/, bool /*stopped*/) {}

void AnalysisWindow::BusyChanged() {
  const bool busy = model_->Busy();
  form_->SetBusy(busy);
  actions_.openBatchFile->setEnabled(!busy);
  if (stopShortcut_ != nullptr) stopShortcut_->setEnabled(busy);
}

// --- Events ---

void AnalysisWindow::closeEvent(QCloseEvent* event) {
  if (closing_) {
    // Already waiting for the run to end; that close goes on.
    event->ignore();
    return;
  }
  closing_ = true;
  // Nothing but the job's own message boxes is used while the run ends.
  centralWidget()->setEnabled(false);
  menuBar()->setEnabled(false);
  model_->Shutdown();
  centralWidget()->setEnabled(true);
  menuBar()->setEnabled(true);
  closing_ = false;
  event->accept();
}

void AnalysisWindow::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  menu.addAction(actions_.aboutCorvane);
  menu.exec(event->globalPos());
}

void AnalysisWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!LocalFiles(event->mimeData()).empty()) event->acceptProposedAction();
}

void AnalysisWindow::dropEvent(QDropEvent* event) {
  const std::vector<std::string> paths = LocalFiles(event->mimeData());
  if (paths.empty()) return;
  event->acceptProposedAction();
  model_->DropFiles(paths);
}

// --- Menu commands ---

void AnalysisWindow::Exit() {
  if (model_->Exit()) close();
}

void AnalysisWindow::ShowCustomize() {
  if (!PullFields()) return;
  CustomizeWindow dialog(*model_, this);
  dialog.exec();
}

void AnalysisWindow::ShowAudio() {
  if (!PullFields()) return;
  AudioWindow dialog(*model_, this);
  dialog.exec();
}

void AnalysisWindow::ShowCalculator() {
  CalculatorWindow dialog(this);
  dialog.exec();
}

void AnalysisWindow::ShowAbout() { ShowAboutBox(this); }

}  // namespace corvane
