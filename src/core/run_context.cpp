#include "core/run_context.h"

#include "core/output_file.h"
#include "core/progress_log.h"

namespace corvane {

void RunContext::LogLine(const std::string& text) const { corvane::LogLine(text); }

void RunContext::PostStatus(const std::string& text) const {
  if (link_ != nullptr) link_->PostStatus(text);
}

void RunContext::PostBytesReceived(std::int64_t count) const {
  if (link_ != nullptr) link_->PostBytesReceived(count);
}

std::string RunContext::SummaryPath() const { return settings.rootDirectory + "summary.tst"; }

void RunContext::RunError(const std::string& message) const {
  const std::string text = settings.dataName + ": " + message;
  if (settings.batchMode) {
    AppendTextLine(SummaryPath(), text);
  } else if (reporter_ != nullptr) {
    reporter_->ShowMessage(text, std::nullopt, MessageKind::kCritical);
  }
}

void RunContext::ShowMessage(const std::string& text, const std::optional<std::string>& caption,
                             MessageKind kind) const {
  if (settings.batchMode) {
    AppendTextLine(SummaryPath(), settings.dataName + ": " + text);
  } else if (reporter_ != nullptr) {
    reporter_->ShowMessage(text, caption, kind);
  }
}

}  // namespace corvane
