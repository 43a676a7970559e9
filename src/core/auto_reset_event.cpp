#include "core/auto_reset_event.h"

namespace corvane {

void AutoResetEvent::Set() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    set_ = true;
  }
  signalled_.notify_one();
}

void AutoResetEvent::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  set_ = false;
}

bool AutoResetEvent::Wait(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::unique_lock<std::mutex> lock(mutex_);
  if (!signalled_.wait_until(lock, deadline, [this] { return set_; })) return false;
  set_ = false;
  return true;
}

void AutoResetEvent::Wait() {
  std::unique_lock<std::mutex> lock(mutex_);
  signalled_.wait(lock, [this] { return set_; });
  set_ = false;
}

}  // namespace corvane
