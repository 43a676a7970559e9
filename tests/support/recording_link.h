// A form link and message reporter that record what a run reports, for
// tests. Thread-safe; ShowMessage never blocks.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/form_link.h"

namespace corvane::testing {

struct ShownMessage {
  std::string text;
  std::optional<std::string> caption;
  MessageKind kind = MessageKind::kInformation;
};

class RecordingLink : public FormLink, public MessageReporter {
 public:
  void PostStatus(const std::string& text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    statuses_.push_back(text);
  }
  void PostBytesReceived(std::int64_t count) override {
    std::lock_guard<std::mutex> lock(mutex_);
    bytes_ = count;
  }
  void NotifyRunEnded(const RunReport& report) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++run_ended_;
      report_ = report;
    }
    ended_.notify_all();
  }
  void ShowMessage(const std::string& text, const std::optional<std::string>& caption,
                   MessageKind kind = MessageKind::kCritical) override {
    std::lock_guard<std::mutex> lock(mutex_);
    messages_.push_back(ShownMessage{text, caption, kind});
  }

  std::vector<std::string> statuses() const { return Copy(statuses_); }
  std::vector<ShownMessage> messages() const { return Copy(messages_); }
  std::vector<std::string> messageTexts() const {
    std::vector<std::string> texts;
    for (const ShownMessage& m : messages()) texts.push_back(m.text);
    return texts;
  }
  std::int64_t bytesReceived() const { return Copy(bytes_); }
  int runEndedCount() const { return Copy(run_ended_); }
  // The report of the last end-of-run notification.
  RunReport report() const { return Copy(report_); }

  // Waits until NotifyRunEnded has been called at least once.
  bool WaitForRunEnded(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    return ended_.wait_for(lock, timeout, [this] { return run_ended_ > 0; });
  }

 private:
  template <typename T>
  T Copy(const T& member) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return member;
  }

  mutable std::mutex mutex_;
  std::condition_variable ended_;
  std::vector<std::string> statuses_;
  std::vector<ShownMessage> messages_;
  std::int64_t bytes_ = 0;
  int run_ended_ = 0;
  RunReport report_;
};

}  // namespace corvane::testing
