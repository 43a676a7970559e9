#include "core/worker_thread.h"

#include <cerrno>
#include <system_error>

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

namespace corvane {
namespace {

// Lowers the calling thread's scheduling priority by the given number of
// steps. Best effort: a system that refuses leaves the priority as it is.
void LowerPriority(ThreadPriority priority) {
  const int steps = static_cast<int>(priority);
  if (steps <= 0) return;
  const pid_t tid = gettid();
  errno = 0;
  const int nice_value = getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
  if (errno != 0) return;
  setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice_value + steps);
}

void NameThread(const std::string& name) {
  // The system keeps at most 15 characters of a thread's name.
  pthread_setname_np(pthread_self(), name.substr(0, 15).c_str());
}

}  // namespace

WorkerThread::~WorkerThread() { EndThread(); }

int WorkerThread::Start(int kind, ThreadPriority priority, const std::string& name) {
  if (!name.empty()) name_ = name;
  std::lock_guard<std::mutex> lock(mutex_);
  if (running_) return abandoned_ ? 0 : 1;
  // A previous body has returned; its thread is at its very end.
  if (thread_.joinable()) thread_.join();
  ready_.Reset();
  stop_.Reset();
  done_.Reset();
  stop_requested_ = false;
  abandoned_ = false;
  suspend_count_ = kind == kStartSuspended ? 1 : 0;
  try {
    thread_ = std::thread([this, priority, thread_name = name_] {
      LowerPriority(priority);
      NameThread(thread_name);
      Entry();
    });
  } catch (const std::system_error&) {
    return 0;
  }
  running_ = true;
  return 1;
}

void WorkerThread::Entry() {
  try {
    SuspensionPoint();
    Run();
  } catch (...) {
    // The body ends quietly; the owner learns of its end through done.
  }
  bool delete_self = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    running_ = false;
    delete_self = owned_by_thread_;
    done_.Set();
    // Notified under the lock: once it is released the owner may delete
    // this object, so nothing of it is touched afterwards.
    changed_.notify_all();
  }
  if (delete_self) delete this;
}

int WorkerThread::SetName(const std::string& text) {
  name_ = text;
  return static_cast<int>(text.size()) + 1;
}

void WorkerThread::Stop() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!thread_.joinable()) return;
  if (std::this_thread::get_id() == thread_.get_id()) {
    // A body cannot wait for its own end.
    stop_requested_ = true;
    changed_.notify_all();
    lock.unlock();
    stop_.Set();
    return;
  }
  if (!running_) {
    lock.unlock();
    thread_.join();
    return;
  }
  stop_requested_ = true;
  changed_.notify_all();
  lock.unlock();
  stop_.Set();
  if (done_.Wait(stop_timeout_)) {
    thread_.join();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return;
  }
  lock.lock();
  if (!running_) {
    lock.unlock();
    thread_.join();
    return;
  }
  abandoned_ = true;
  thread_.detach();
}

void WorkerThread::Suspend() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (running_ && suspend_count_ == 0) suspend_count_ = 1;
}

void WorkerThread::Resume() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (running_ && suspend_count_ > 0) {
    --suspend_count_;
    changed_.notify_all();
  }
}

void WorkerThread::Dispose(std::unique_ptr<WorkerThread> worker) {
  if (worker == nullptr) return;
  worker->Stop();
  {
    std::lock_guard<std::mutex> lock(worker->mutex_);
    if (worker->abandoned_ && worker->running_) {
      worker->owned_by_thread_ = true;
      worker.release();
      return;
    }
  }
  worker.reset();
}

bool WorkerThread::Running() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return running_;
}

bool WorkerThread::Abandoned() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return abandoned_;
}

int WorkerThread::ExitCode() const { return Abandoned() ? 1 : 0; }

int WorkerThread::SuspendCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return suspend_count_;
}

void WorkerThread::SuspensionPoint() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return suspend_count_ == 0 || stop_requested_.load(); });
}

void WorkerThread::EndThread() {
  Stop();
  std::unique_lock<std::mutex> lock(mutex_);
  // An abandoned body is waited for here; Dispose avoids that wait.
  changed_.wait(lock, [this] { return !running_; });
  lock.unlock();
  if (thread_.joinable() && std::this_thread::get_id() != thread_.get_id()) thread_.join();
}

}  // namespace corvane
