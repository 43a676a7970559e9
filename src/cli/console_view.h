// The form's view in the headless runner: no controls, so pulling and
// pushing fields change nothing; messages ("caption: text") and status
// changes are printed on an error stream; there are no choosers and no
// opener.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "app/form_view.h"

namespace corvane {

class ConsoleView : public FormView {
 public:
  explicit ConsoleView(std::ostream& out) : out_(out) {}

  // Where PushStatus reads the form's status text.
  void SetStatusSource(std::function<std::string()> source) { statusSource_ = std::move(source); }
  // Called when batch mode ends.
  void SetBatchFinishedHandler(std::function<void(int, bool)> handler) {
    batchFinished_ = std::move(handler);
  }

  bool PullFields() override { return true; }
  void PushFields() override {}
  void ShowMessage(const std::string& text, const std::optional<std::string>& caption,
                   MessageKind kind = MessageKind::kInformation) override;
  std::string ChooseFile(const std::string& title, const std::string& filter,
                         const std::string& current) override;
  std::string ChooseFolder(const std::string& title, const std::string& current) override;
  void PushStatus() override;
  void SetWaitCursor(bool) override {}
  void SetProgress(int) override {}
  bool OpenUrl(const std::string& url) override;
  void BatchFinished(int itemsStarted, bool stopped) override;

  void Print(const std::string& line);

 private:
  std::ostream& out_;
  std::function<std::string()> statusSource_;
  std::function<void(int, bool)> batchFinished_;
  std::string lastStatus_;
};

}  // namespace corvane
