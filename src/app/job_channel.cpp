#include "app/job_channel.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>

#include <QMetaObject>
#include <QObject>
#include <QThread>

namespace corvane {

// One acknowledgement that a waiting thread blocks on.
class JobChannel::Gate {
 public:
  // Called by the thread that made the gate before it hands the gate to the
  // form's thread. Qt's event queue orders that hand-over already, but in
  // code the thread sanitizer cannot see; this release and the acquire in
  // Open() show it the order, so the gate's making is not taken for a race.
  void Publish() { published_.store(true, std::memory_order_release); }
  void Open() {
    published_.load(std::memory_order_acquire);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      open_ = true;
    }
    opened_.notify_all();
  }
  void Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    opened_.wait(lock, [this] { return open_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;
  std::atomic<bool> published_{false};
};

JobChannel::JobChannel(QObject* context, JobEvents* events, int jobId)
    : context_(context), events_(events), jobId_(jobId) {}

JobChannel::~JobChannel() { Abandon(); }

bool JobChannel::OnFormThread() const { return QThread::currentThread() == context_->thread(); }

void JobChannel::PostStatus(const std::string& text) {
  JobEvents* events = events_;
  const int id = jobId_;
  QMetaObject::invokeMethod(
      context_, [events, id, text] { events->OnJobStatus(id, text); }, Qt::QueuedConnection);
}

void JobChannel::PostBytesReceived(std::int64_t count) {
  JobEvents* events = events_;
  const int id = jobId_;
  QMetaObject::invokeMethod(
      context_, [events, id, count] { events->OnJobBytes(id, count); }, Qt::QueuedConnection);
}

void JobChannel::NotifyRunEnded(const RunReport& report) {
  JobEvents* events = events_;
  const int id = jobId_;
  QMetaObject::invokeMethod(
      context_, [events, id, report] { events->OnJobEnded(id, report); }, Qt::QueuedConnection);
}

void JobChannel::ShowMessage(const std::string& text, const std::optional<std::string>& caption,
                             MessageKind kind) {
  if (OnFormThread()) {
    events_->OnJobMessage(jobId_, text, caption, kind);
    return;
  }
  auto gate = std::make_shared<Gate>();
  gate->Publish();
  bool wait = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!abandoned_) {
      waiting_.push_back(gate);
      wait = true;
    }
  }
  JobEvents* events = events_;
  const int id = jobId_;
  QMetaObject::invokeMethod(
      context_,
      [events, id, text, caption, kind, gate] {
        events->OnJobMessage(id, text, caption, kind);
        gate->Open();
      },
      Qt::QueuedConnection);
  if (!wait) return;
  gate->Wait();
  std::lock_guard<std::mutex> lock(mutex_);
  waiting_.erase(std::remove(waiting_.begin(), waiting_.end(), gate), waiting_.end());
}

void JobChannel::Abandon() {
  std::lock_guard<std::mutex> lock(mutex_);
  abandoned_ = true;
  for (const std::shared_ptr<Gate>& gate : waiting_) gate->Open();
}

}  // namespace corvane
