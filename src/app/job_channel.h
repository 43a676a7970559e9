// The form link and message reporter of one job: carries the job's reports
// from the job's (or a download worker's) thread to the form's thread, in
// order, as Qt queued calls.
//
// A message box asked for on another thread is shown on the form's thread,
// and the asking thread waits until it has been acknowledged. Asked for on
// the form's thread itself (a message from a setter or StartAnalysis), it is
// shown at once. Abandon lets every waiting and later request return without
// waiting (the message is still delivered when the form's thread gets to
// it); the form abandons a channel before it joins the channel's job, so
// that a job can never wait for a thread that waits for the job.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/form_link.h"

class QObject;

namespace corvane {

// Receives a job's reports on the form's thread.
class JobEvents {
 public:
  virtual ~JobEvents() = default;
  virtual void OnJobStatus(int jobId, const std::string& text) = 0;
  virtual void OnJobBytes(int jobId, std::int64_t count) = 0;
  virtual void OnJobMessage(int jobId, const std::string& text,
                            const std::optional<std::string>& caption, MessageKind kind) = 0;
  virtual void OnJobEnded(int jobId, const RunReport& report) = 0;
};

class JobChannel : public FormLink, public MessageReporter {
 public:
  // context lives on the form's thread; calls queued to it are dropped when
  // it is destroyed. events must outlive context.
  JobChannel(QObject* context, JobEvents* events, int jobId);
  ~JobChannel() override;
  JobChannel(const JobChannel&) = delete;
  JobChannel& operator=(const JobChannel&) = delete;

  void PostStatus(const std::string& text) override;
  void PostBytesReceived(std::int64_t count) override;
  void NotifyRunEnded(const RunReport& report) override;
  void ShowMessage(const std::string& text, const std::optional<std::string>& caption,
                   MessageKind kind = MessageKind::kCritical) override;

  void Abandon();

 private:
  class Gate;
  bool OnFormThread() const;

  QObject* context_;
  JobEvents* events_;
  const int jobId_;
  std::mutex mutex_;
  bool abandoned_ = false;
  std::vector<std::shared_ptr<Gate>> waiting_;
};

}  // namespace corvane
