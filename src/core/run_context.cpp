#include "core/run_context.h"

#include <iostream>

#include "core/progress_log.h"
#include "core/summary_line.h"

namespace corvane {

void RunContext::LogLine(const std::string& text) const {
  if (item_output_) {
    item_output_->Log(text);
  } else {
    corvane::LogLine(text);
  }
}

void RunContext::PostStatus(const std::string& text) const {
  if (link_ != nullptr) link_->PostStatus(text);
}

void RunContext::PostBytesReceived(std::int64_t count) const {
  if (link_ != nullptr) link_->PostBytesReceived(count);
}

void RunContext::NameInput(int index, const std::string& name) { input_names_[index] = name; }

std::string RunContext::InputName(int index, const std::string& path) const {
  const auto it = input_names_.find(index);
  return it != input_names_.end() ? it->second : path;
}

std::string RunContext::SummaryPath() const { return SummaryTablePath(settings.rootDirectory); }

void RunContext::Abort() noexcept {
  if (!SetAbort(kFailed)) return;
  try {
    std::lock_guard<std::mutex> lock(message_mutex_);
    if (!failure_taken_ && !last_message_.empty()) {
      failure_ = last_message_;
      failure_taken_ = true;
    }
  } catch (...) {
    // The flag is set; only the failure's text is lost.
  }
}

void RunContext::ClearAbort() {
  std::lock_guard<std::mutex> lock(message_mutex_);
  abort_.store(kRunning);
  last_message_.clear();
  failure_.clear();
  failure_taken_ = false;
}

std::string RunContext::FailureMessage() const {
  if (!Failed()) return std::string();
  std::lock_guard<std::mutex> lock(message_mutex_);
  return failure_;
}

bool RunContext::NoteMessage(const std::string& text) const {
  const int state = abort_.load();
  if (state == kStopped) {
    LogLine("Not reported after Stop: " + text);
    return false;
  }
  std::lock_guard<std::mutex> lock(message_mutex_);
  if (state == kRunning) {
    last_message_ = text;
  } else if (!failure_taken_) {
    // A failure that aborts first and reports afterwards.
    failure_ = text;
    failure_taken_ = true;
  }
  return true;
}

void RunContext::RunError(const std::string& message) const {
  if (!NoteMessage(message)) return;
  if (settings.batchMode) {
    AddSummaryLine(message);
  } else if (reporter_ != nullptr) {
    reporter_->ShowMessage(settings.dataName + ": " + message, std::nullopt,
                           MessageKind::kCritical);
  }
}

void RunContext::ShowMessage(const std::string& text, const std::optional<std::string>& caption,
                             MessageKind kind) const {
  if (!NoteMessage(text)) return;
  if (settings.batchMode) {
    AddSummaryLine(text);
  } else if (reporter_ != nullptr) {
    reporter_->ShowMessage(text, caption, kind);
  }
}

void RunContext::AddSummaryLine(const std::string& text) const {
  if (item_output_) {
    if (auto unwritten =
            AddItemSummaryLine(*item_output_, settings.rootDirectory, settings.dataName, text)) {
      ShowUnwrittenLine(*unwritten);
    }
    return;
  }
  if (auto unwritten = AppendSummaryLine(settings.rootDirectory, settings.dataName, text)) {
    ShowUnwrittenLine(*unwritten);
  }
}

void RunContext::ShowUnwrittenLine(const std::string& message) const {
  if (reporter_ != nullptr) {
    reporter_->ShowMessage(message, std::string(kSummaryNotWritten), MessageKind::kCritical);
  } else {
    std::cerr << kSummaryNotWritten << ": " << message << std::endl;
  }
}

}  // namespace corvane
