// Test helpers of the app layer: a Qt application object and a private
// settings store for the whole test program, an event loop runner, and a
// view that records what the form shows.
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/form_view.h"
#include "support/recording_link.h"

namespace corvane::testing {

// Removes every stored setting of the test program's private store.
void ClearStoredSettings();

// The private store's file (under a temporary XDG_CONFIG_HOME).
std::string StoredSettingsFile();

// Runs the Qt event loop until done() holds or the timeout passes; returns
// done().
bool RunEventsUntil(const std::function<bool()>& done,
                    std::chrono::milliseconds timeout = std::chrono::seconds(20));

// A FormView that records instead of showing.
class RecordingView : public FormView {
 public:
  bool PullFields() override;
  void PushFields() override { ++pushes; }
  void ShowMessage(const std::string& text, const std::optional<std::string>& caption) override;
  std::string ChooseFile(const std::string& title, const std::string& filter) override;
  std::string ChooseFolder(const std::string& title) override;
  void PushStatus() override { statuses.push_back(statusSource ? statusSource() : std::string()); }
  void SetWaitCursor(bool on) override { waitCursor.push_back(on); }
  void SetProgress(int percent) override { progress.push_back(percent); }
  bool OpenUrl(const std::string& url) override;
  void BatchFinished(int itemsStarted, bool stopped) override;

  // What PullFields does: nullptr accepts; otherwise called, and its result
  // returned (it may change the model's fields as a user's typing would).
  std::function<bool()> onPull;
  // Where PushStatus reads the status shown.
  std::function<std::string()> statusSource;
  // Answers of the choosers, taken in order (empty: cancelled).
  std::deque<std::string> chooserAnswers;
  bool openUrlResult = true;

  int pulls = 0;
  int pushes = 0;
  std::vector<ShownMessage> messages;
  std::vector<std::string> chooserTitles;
  std::vector<std::string> chooserFilters;
  std::vector<std::string> statuses;
  std::vector<bool> waitCursor;
  std::vector<int> progress;
  std::vector<std::string> openedUrls;
  std::optional<std::pair<int, bool>> batchFinished;

  std::vector<std::string> MessageTexts() const;
  bool HasMessage(const std::string& text) const;
};

}  // namespace corvane::testing
