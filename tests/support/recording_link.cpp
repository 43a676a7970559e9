#include "support/recording_link.h"

namespace corvane::testing {

void RecordingLink::PostStatus(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  statuses_.push_back(text);
}

void RecordingLink::PostBytesReceived(std::int64_t count) {
  std::lock_guard<std::mutex> lock(mutex_);
  bytes_ = count;
}

void RecordingLink::NotifyRunEnded(const RunReport& report) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++run_ended_;
    report_ = report;
  }
  ended_.notify_all();
}

void RecordingLink::ShowMessage(const std::string& text, const std::optional<std::string>& caption,
                                MessageKind kind) {
  std::lock_guard<std::mutex> lock(mutex_);
  messages_.push_back(ShownMessage{text, caption, kind});
}

std::vector<std::string> RecordingLink::messageTexts() const {
  std::vector<std::string> texts;
  for (const ShownMessage& m : messages()) texts.push_back(m.text);
  return texts;
}

bool RecordingLink::WaitForRunEnded(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  return ended_.wait_for(lock, timeout, [this] { return run_ended_ > 0; });
}

}  // namespace corvane::testing
