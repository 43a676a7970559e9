#include "core/run_context.h"

#include <iostream>

#include "core/progress_log.h"
#include "core/summary_line.h"

namespace corvane {

void RunContext::LogLine(const std::string& text) const { corvane::LogLine(text); }

void RunContext::PostStatus(const std::string& text) const {
  if (link_ != nullptr) link_->PostStatus(text);
}

void RunContext::PostBytesReceived(std::int64_t count) const {
  if (link_ != nullptr) link_->PostBytesReceived(count);
}

std::string RunContext::SummaryPath() const { return SummaryTablePath(settings.rootDirectory); }

void RunContext::RunError(const std::string& message) const {
  if (settings.batchMode) {
    ShowMessage(message);
  } else if (reporter_ != nullptr) {
    reporter_->ShowMessage(settings.dataName + ": " + message, std::nullopt);
  }
}

void RunContext::ShowMessage(const std::string& text,
                             const std::optional<std::string>& caption) const {
  if (settings.batchMode) {
    if (auto unwritten = AppendSummaryLine(settings.rootDirectory, settings.dataName, text)) {
      ShowUnwrittenLine(*unwritten);
    }
  } else if (reporter_ != nullptr) {
    reporter_->ShowMessage(text, caption);
  }
}

void RunContext::ShowUnwrittenLine(const std::string& message) const {
  if (reporter_ != nullptr) {
    reporter_->ShowMessage(message, std::string(kSummaryNotWritten));
  } else {
    std::cerr << kSummaryNotWritten << ": " << message << std::endl;
  }
}

}  // namespace corvane
