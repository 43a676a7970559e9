// Test helpers of the app layer: a view that records what the form shows,
// and a fixture with a form on a fresh settings store, output and temporary
// directories and an hour of synthetic egg data.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/analysis_dialog.h"
#include "app/form_view.h"
#include "app/settings_store.h"
#include "qt_test_environment.h"
#include "support/recording_link.h"
#include "support/temp_dir.h"

namespace corvane::testing {

// A FormView that records instead of showing.
class RecordingView : public FormView {
 public:
  // onPull: nullptr accepts; otherwise its result (it may change the fields
  // as a user's typing would).
  bool PullFields() override { return onPull ? onPull() : true; }
  void PushFields() override {}
  void ShowMessage(const std::string& text, const std::optional<std::string>& caption,
                   MessageKind kind = MessageKind::kInformation) override {
    messages.push_back({text, caption, kind});
  }
  // Answers from chooserAnswers in order; none: cancelled.
  std::string ChooseFile(const std::string& title, const std::string& filter,
                         const std::string& current) override {
    choosers.emplace_back(title, filter);
    chooserCurrents.push_back(current);
    if (chooserAnswers.empty()) return {};
    std::string answer = chooserAnswers.front();
    chooserAnswers.pop_front();
    return answer;
  }
  std::string ChooseFolder(const std::string& title, const std::string& current) override {
    return ChooseFile(title, "", current);
  }
  void PushStatus() override {}
  void SetWaitCursor(bool) override {}
  void SetProgress(int) override {}
  bool OpenUrl(const std::string& url) override {
    openedUrls.push_back(url);
    return openUrlResult;
  }
  void BatchFinished(int itemsStarted, bool stopped) override {
    batchFinished = std::make_pair(itemsStarted, stopped);
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const ShownMessage& message : messages) texts.push_back(message.text);
    return texts;
  }

  std::function<bool()> onPull;
  std::deque<std::string> chooserAnswers;
  bool openUrlResult = true;
  std::vector<ShownMessage> messages;
  std::vector<std::pair<std::string, std::string>> choosers;  // title, filter
  std::vector<std::string> chooserCurrents;                   // the field's value handed over
  std::vector<std::string> openedUrls;
  std::optional<std::pair<int, bool>> batchFinished;
};

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A fresh form on the fixture's directories, with a gnuplot that shows
  // nothing and a local request for the fixture's hour of data.
  AnalysisDialog& MakeForm(const std::string& dataName = "Quake");
  std::string WriteBatch(const std::string& text);
  bool WaitUntilIdle() {
    return RunEventsUntil([this] { return !form_->Busy(); });
  }
  bool WaitUntilBatchEnds() {
    return RunEventsUntil([this] { return !form_->BatchMode() && !form_->Busy(); });
  }

  TempDir dir_;
  std::string root_ = dir_.File("out/");             // output root, with separator
  std::string temp_ = dir_.File("tmp/");             // temporary directory, with separator
  std::string eggFile_ = dir_.File("data/egg.csv");  // 2011-05-03 00:00:00 to 00:59:59, 60 eggs
  RecordingView view_;
  std::unique_ptr<SettingsStore> store_;
  std::unique_ptr<AnalysisDialog> form_;
};

}  // namespace corvane::testing
