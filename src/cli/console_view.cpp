#include "cli/console_view.h"

namespace corvane {

void ConsoleView::Print(const std::string& line) { out_ << line << std::endl; }

void ConsoleView::ShowMessage(const std::string& text, const std::optional<std::string>& caption,
                              MessageKind) {
  const std::string shown = caption.value_or("Corvane");
  Print(shown.empty() ? text : shown + ": " + text);
}

std::string ConsoleView::ChooseFile(const std::string& title, const std::string&,
                                    const std::string&) {
  Print(title + ": there is no file chooser without a window");
  return {};
}

std::string ConsoleView::ChooseFolder(const std::string& title, const std::string&) {
  Print(title + ": there is no folder chooser without a window");
  return {};
}

void ConsoleView::PushStatus() {
  const std::string status = statusSource_ ? statusSource_() : std::string();
  if (status == lastStatus_) return;
  lastStatus_ = status;
  if (!status.empty()) Print(status);
}

bool ConsoleView::OpenUrl(const std::string& url) {
  Print("Open " + url + " in a browser.");
  return true;
}

void ConsoleView::BatchFinished(int itemsStarted, bool stopped) {
  if (batchFinished_) batchFinished_(itemsStarted, stopped);
}

}  // namespace corvane
