// Test helpers of the window, on the Qt environment shared with the app
// tests: a stand-in for the user's default opener and the pages handed to
// it, a clicker that acts from the event loop, an answerer for modal
// dialogs, waiting with the window tests' deadline, and a fixture with a
// shown and active main window on a fresh settings store.
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QAction>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include "app/analysis_dialog.h"
#include "app/qt_test_environment.h"
#include "app/settings_store.h"
#include "gui/analysis_window.h"
#include "gui/request_form.h"
#include "support/temp_dir.h"

class QAbstractButton;
class QWidget;

namespace corvane::testing {

// How long a window test waits for a condition before it fails: generous,
// for a loaded machine and a virtual X display.
inline constexpr std::chrono::seconds kWindowDeadline{60};

// Runs the event loop until done() holds or kWindowDeadline passes.
bool WaitFor(const std::function<bool()>& done);

// The pages handed to the user's default opener since the last call, in
// order. The opener is a stand-in program named xdg-open, first on the PATH
// of the test program: it records its argument and opens nothing.
std::vector<std::string> TakeOpenedUrls();
// What the stand-in opener does from now on once it has recorded its
// argument: shell lines, or an exit status (0: shown; xdg-open says 3 when
// no program can show the page).
void SetOpenerLines(const std::string& lines);
inline void SetOpenerStatus(int status) { SetOpenerLines("exit " + std::to_string(status)); }

// Presses the key in the window once it is active, as a user would. (A
// closed box gives the activation back through the window manager; the
// offscreen platform has none.)
void Press(QWidget& window, Qt::Key key, Qt::KeyboardModifiers modifiers = {});

// Clicks the button from the event loop, after the caller has returned (so a
// dialog the click opens does not run inside the caller).
void ClickLater(QAbstractButton* button);

// A control's text as shown, without the "&" that marks its access key.
QString WithoutAccessKey(const QString& text);

// The text of the label whose buddy is the widget, without its access key
// mark ("" when none).
QString BuddyLabelText(const QWidget* widget);

// Answers modal widgets while it exists. Every message box is recorded and
// acknowledged with OK (unless acknowledgeBoxes is false). Any other modal
// widget that becomes active is given to the next handler, in order (also
// when it becomes active again after a box or dialog over it has closed). A
// handler must not open a modal widget itself: it clicks through
// ClickLater. A modal widget left open by the handlers for the window
// tests' deadline is closed and recorded as unhandled, so a failing test
// does not hang.
class ModalAnswerer : public QObject {
 public:
  struct Box {
    std::string title;
    std::string text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
  };

  ModalAnswerer();

  void Then(std::function<void(QWidget*)> handler) { handlers_.push_back(std::move(handler)); }
  bool HandlersDone() const { return handlers_.empty(); }
  bool HasBox(const std::string& text, const std::string& title) const;
  std::vector<std::string> Texts() const;

  std::vector<Box> boxes;
  std::vector<std::string> unhandled;  // window titles
  bool acknowledgeBoxes = true;

 private:
  void Poll();

  QTimer timer_;
  std::deque<std::function<void(QWidget*)>> handlers_;
  QPointer<QWidget> current_;
  bool pending_ = false;
  std::chrono::steady_clock::time_point since_;
};

// A shown main window on a fresh settings store, with the temporary
// directory for its runs, a gnuplot that records its arguments, and a modal
// answerer.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes synthetic egg data from start to stop ("yyyy-mm-dd hh:mm:ss").
  std::string WriteEggData(const std::string& name, const std::string& start,
                           const std::string& stop, int eggs = 20);
  // Types a local run of the file over the range into the form's controls.
  void TypeLocalRequest(const std::string& eggFile, const std::string& start,
                        const std::string& stop, const std::string& dataName);

  // Triggers the action and hands the dialog of type D that it opens to
  // handle, which closes it; fails when no such dialog was handed over.
  template <class D>
  void OpenDialog(QAction* action, const std::function<void(D&)>& handle) {
    answerer->Then([handle](QWidget* modal) {
      auto* dialog = qobject_cast<D*>(modal);
      ASSERT_NE(dialog, nullptr);
      handle(*dialog);
    });
    action->trigger();
    EXPECT_TRUE(answerer->HandlersDone());
  }

  // The closing box of a run of TypeLocalRequest that wrote its results.
  std::string FinishedText(const std::string& dataName) const {
    return "Finished processing. The results are in " + dir.path() + "results/" + dataName + "/";
  }

  AnalysisWindow& window() { return *window_; }
  RequestForm& form() { return window_->form(); }
  AnalysisDialog& model() { return window_->model(); }

  TempDir dir;
  std::string gnuplotRecord;  // what the window's gnuplot was started with
  std::unique_ptr<ModalAnswerer> answerer;

 private:
  std::unique_ptr<SettingsStore> store_;
  std::unique_ptr<AnalysisWindow> window_;
};

}  // namespace corvane::testing
