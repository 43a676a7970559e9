#include "cli/interrupt_watch.h"

#include <sys/signalfd.h>
#include <unistd.h>
#include <csignal>

#include <QSocketNotifier>

namespace corvane {

namespace {

sigset_t InterruptMask() {
  sigset_t mask;
  sigemptyset(&mask);
  sigaddset(&mask, SIGINT);
  sigaddset(&mask, SIGTERM);
  return mask;
}

}  // namespace

void BlockInterruptSignals() {
  const sigset_t mask = InterruptMask();
  pthread_sigmask(SIG_BLOCK, &mask, nullptr);
}

InterruptWatch::InterruptWatch(std::function<void(int)> handler) : handler_(std::move(handler)) {
  const sigset_t mask = InterruptMask();
  fd_ = signalfd(-1, &mask, SFD_NONBLOCK | SFD_CLOEXEC);
  if (fd_ < 0) return;
  notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { Read(); });
}

InterruptWatch::~InterruptWatch() {
  notifier_.reset();
  if (fd_ >= 0) close(fd_);
}

void InterruptWatch::Read() {
  signalfd_siginfo info;
  while (read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
    ++count_;
    handler_(count_);
  }
}

}  // namespace corvane
