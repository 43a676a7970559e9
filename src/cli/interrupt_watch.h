// Ctrl-C (SIGINT) and SIGTERM as events of the Qt event loop.
//
// BlockInterruptSignals must run first in main, before any thread exists, so
// that every thread inherits the blocked mask and the signals stay pending
// for the watch. An InterruptWatch (made on the thread that runs the event
// loop) reads them through a signalfd and calls its handler there, with the
// number of interrupts so far; nothing runs in a signal handler.
#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace corvane {

void BlockInterruptSignals();

class InterruptWatch {
 public:
  explicit InterruptWatch(std::function<void(int count)> handler);
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

 private:
  void Read();

  std::function<void(int)> handler_;
  int fd_ = -1;
  int count_ = 0;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace corvane
