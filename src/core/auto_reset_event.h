// An event with automatic reset: Set signals it, and the first Wait that sees
// the signal consumes it, so exactly one waiter wakes per Set. A Set while
// the event is already signalled changes nothing.
//
// Waits with a time-out measure it on the monotonic clock, so a change of
// the wall clock neither shortens nor stretches them. Safe to use from any
// thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace corvane {

class AutoResetEvent {
 public:
  AutoResetEvent() = default;
  AutoResetEvent(const AutoResetEvent&) = delete;
  AutoResetEvent& operator=(const AutoResetEvent&) = delete;

  void Set();
  void Reset();

  // Waits until the event is signalled or the time-out has passed. True when
  // the signal came (and was consumed), false on time-out.
  bool Wait(std::chrono::milliseconds timeout);

  // Waits without a time-out.
  void Wait();

 private:
  std::mutex mutex_;
  std::condition_variable signalled_;
  bool set_ = false;
};

}  // namespace corvane
