// Test helpers of the window: one QApplication and one private settings
// store for the whole test program, the URLs handed to the user's default
// opener, an event loop runner, and an answerer for modal dialogs.
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QAbstractButton;
class QLabel;
class QWidget;

namespace corvane::testing {

// Removes every stored setting of the private store.
void ClearStoredSettings();
// A stored value, or nullopt when the store does not hold it.
std::optional<std::string> StoredSetting(const std::string& name);

// The URLs handed to QDesktopServices since the last call, in order (none
// of them is really opened).
std::vector<std::string> TakeOpenedUrls();

// Runs the event loop until done() holds or the timeout passes; returns
// done().
bool RunEventsUntil(const std::function<bool()>& done,
                    std::chrono::milliseconds timeout = std::chrono::seconds(30));

// Clicks the button from the event loop, after the caller has returned (so a
// dialog the click opens does not run inside the caller).
void ClickLater(QAbstractButton* button);

// The text of the label whose buddy is the widget ("" when none).
QString BuddyLabelText(const QWidget* widget);

// Answers modal widgets while it exists. Every message box is recorded and
// acknowledged with OK. Any other modal widget that becomes active is given
// to the next handler, in order (also when it becomes active again after a
// message box or another dialog over it has closed). A handler must not
// open a modal widget itself: it clicks through ClickLater.
// A modal widget left without a handler for several seconds is closed and
// recorded as unhandled, so a failing test does not hang.
class ModalAnswerer : public QObject {
 public:
  struct Box {
    std::string title;
    std::string text;
  };

  ModalAnswerer();
  ~ModalAnswerer() override;

  void Then(std::function<void(QWidget*)> handler) { handlers_.push_back(std::move(handler)); }

  std::vector<Box> boxes;
  std::vector<std::string> unhandled;  // window titles

  bool HandlersDone() const { return handlers_.empty(); }
  bool HasBox(const std::string& text, const std::string& title) const;
  std::vector<std::string> Texts() const;

 private:
  void Poll();

  QTimer timer_;
  std::deque<std::function<void(QWidget*)>> handlers_;
  QPointer<QWidget> current_;
  bool pending_ = false;
  std::chrono::steady_clock::time_point since_;
};

}  // namespace corvane::testing
