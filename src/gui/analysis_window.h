// AnalysisWindow: Corvane's main window, titled "Corvane". It shows the
// request form (RequestForm) with the menu bar "File", "Options", "Help",
// and binds both to the form model AnalysisDialog, which it owns: the
// buttons and menu commands run the model's operations, and the window is
// the model's view (field exchange, message boxes with the icon of their
// kind, choosers, wait cursor, progress bar, the user's default opener for
// web pages and the help page, see desktop_opener.h).
//
// Keyboard: the menus and their items carry access keys (the menu titles
// take F, O and H; the form takes the other letters, see request_form.h);
// Ctrl+O "Open Batch File", Ctrl+L "Open Local EGG file", Ctrl+Q "Exit",
// F1 "Help", Ctrl+R "Analyze data" (as Enter in the form does) and, while
// the form holds a job, Esc "Stop". The Help menu lists Help, About and
// Kelmar Home.
//
// While the model holds a job, the buttons and menu commands that would
// start another run ("Analyze data", "Display", "Run batch file", "Open
// Batch File") are disabled; "Stop" stays enabled. Closing the window during
// a run stops the run and waits for its end while the event loop keeps
// running, so message boxes asked for by the job are still shown (the run no
// longer waits for their click) and the window keeps repainting. "Exit"
// first pulls the fields: a field that does not hold its kind of value keeps
// the window open. A file dropped on the window names a run's output file
// (see AnalysisDialog::DropFiles).
//
// The window's context menu carries "&About Corvane...", which opens the
// About box as the Help menu's "About" does.
#pragma once

#include <memory>

#include <QMainWindow>

#include "app/form_view.h"
#include "gui/qt_choosers.h"

class QAction;
class QShortcut;

namespace corvane {

class AnalysisDialog;
class RequestForm;
class SettingsStore;

class AnalysisWindow : public QMainWindow, public FormView {
  Q_OBJECT

 public:
  explicit AnalysisWindow(SettingsStore& store, QWidget* parent = nullptr);
  ~AnalysisWindow() override;

  AnalysisDialog& model() { return *model_; }
  RequestForm& form() { return *form_; }

  // The menu bar's actions, for tests.
  struct Actions {
    QAction* openBatchFile = nullptr;
    QAction* openLocalEggFile = nullptr;
    QAction* openTimeZoneConverter = nullptr;
    QAction* exit = nullptr;
    QAction* customize = nullptr;
    QAction* audio = nullptr;
    QAction* probCalculator = nullptr;
    QAction* about = nullptr;
    QAction* help = nullptr;
    QAction* kelmarHome = nullptr;
    QAction* aboutCorvane = nullptr;  // the context menu's item
  };
  const Actions& actions() const { return actions_; }

  // FormView.
  bool PullFields() override;
  void PushFields() override;
  void ShowMessage(const std::string& text, const std::optional<std::string>& caption,
                   MessageKind kind = MessageKind::kInformation) override;
  std::string ChooseFile(const std::string& title, const std::string& filter,
                         const std::string& current) override;
  std::string ChooseFolder(const std::string& title, const std::string& current) override;
  void PushStatus() override;
  void SetWaitCursor(bool on) override;
  void SetProgress(int percent) override;
  bool OpenUrl(const std::string& url) override;
  void BatchFinished(int itemsStarted, bool stopped) override;
  void BusyChanged() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void CreateMenus();
  void ConnectButtons();
  void Exit();
  void ShowCustomize();
  void ShowAudio();
  void ShowCalculator();
  void ShowAbout();

  RequestForm* form_ = nullptr;
  QtChoosers choosers_;
  Actions actions_;
  QShortcut* stopShortcut_ = nullptr;
  bool closing_ = false;
  // Declared last: made once the controls exist (the window then pushes the
  // loaded fields to them), destroyed before them.
  std::unique_ptr<AnalysisDialog> model_;
};

}  // namespace corvane
