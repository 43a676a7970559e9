#include "gui/analysis_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include "app/about_box.h"
#include "app/analysis_dialog.h"
#include "app/menu_commands.h"
#include "gui/about_window.h"
#include "gui/app_icon.h"
#include "gui/audio_window.h"
#include "gui/calculator_window.h"
#include "gui/customize_window.h"
#include "gui/message_box.h"
#include "gui/request_form.h"

namespace corvane {

namespace {

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

void AnalysisWindow::CreateMenus() {
  auto add = [this](QMenu* menu, const char* text, void (AnalysisWindow::*slot)()) {
    QAction* action = menu->addAction(QString::fromLatin1(text));
    connect(action, &QAction::triggered, this, slot);
    return action;
  };
  QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
  actions_.openBatchFile = file->addAction(QStringLiteral("Open Batch File"));
  connect(actions_.openBatchFile, &QAction::triggered, this, [this] { model_->OpenBatchFile(); });
  actions_.openLocalEggFile = file->addAction(QStringLiteral("Open Local EGG file"));
  connect(actions_.openLocalEggFile, &QAction::triggered, this,
          [this] { model_->OpenLocalEggFile(); });
  actions_.openTimeZoneConverter = file->addAction(QStringLiteral("Open Time Zone Converter"));
  connect(actions_.openTimeZoneConverter, &QAction::triggered, this,
          [this] { OpenTimeZoneConverter(*model_); });
  file->addSeparator();
  actions_.exit = add(file, "Exit", &AnalysisWindow::Exit);

  QMenu* options = menuBar()->addMenu(QStringLiteral("Options"));
  actions_.customize = add(options, "Customize...", &AnalysisWindow::ShowCustomize);
  actions_.audio = add(options, "Audio...", &AnalysisWindow::ShowAudio);
  actions_.probCalculator = add(options, "Prob Calculator...", &AnalysisWindow::ShowCalculator);

  QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
  actions_.about = add(help, "About", &AnalysisWindow::ShowAbout);
  actions_.help = help->addAction(QStringLiteral("Help"));
  connect(actions_.help, &QAction::triggered, this, [this] { OpenHelp(*model_); });
  actions_.kelmarHome = help->addAction(QStringLiteral("Kelmar Home"));
  connect(actions_.kelmarHome, &QAction::triggered, this, [this] { OpenKelmarHome(*model_); });

  actions_.aboutCorvane = new QAction(QString::fromLatin1(kAboutMenuItem), this);
  connect(actions_.aboutCorvane, &QAction::triggered, this, &AnalysisWindow::ShowAbout);
}

void AnalysisWindow::ConnectButtons() {
  connect(form_->analyzeButton, &QPushButton::clicked, this, [this] { model_->AnalyzeData(); });
  connect(form_->stopButton, &QPushButton::clicked, this, [this] { model_->Stop(); });
  connect(form_->displayButton, &QPushButton::clicked, this, [this] { model_->Display(); });
  connect(form_->runBatchButton, &QPushButton::clicked, this, [this] { model_->RunBatchFile(); });
}

// --- FormView ---

bool AnalysisWindow::PullFields() { return form_->Pull(model_->fields, *this); }

void AnalysisWindow::PushFields() {
  if (model_) form_->Push(model_->fields);
}

void AnalysisWindow::ShowMessage(const std::string& text,
                                 const std::optional<std::string>& caption) {
  ShowMessageBox(this, text, caption);
}

std::string AnalysisWindow::ChooseFile(const std::string& title, const std::string& filter) {
  return choosers_.ChooseFile(title, filter);
}

std::string AnalysisWindow::ChooseFolder(const std::string& title) {
  return choosers_.ChooseFolder(title);
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
  return QDesktopServices::openUrl(QUrl::fromUserInput(QString::fromStdString(url)));
}

void AnalysisWindow::BatchFinished(int /*itemsStarted*/, bool /*stopped*/) {}

void AnalysisWindow::BusyChanged() {
  const bool busy = model_->Busy();
  form_->SetBusy(busy);
  actions_.openBatchFile->setEnabled(!busy);
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
