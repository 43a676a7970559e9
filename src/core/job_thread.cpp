#include "core/job_thread.h"

#include <system_error>

namespace corvane {

JobThread::JobThread(std::chrono::milliseconds period) : period_(period) {}

JobThread::~JobThread() {
  Quit();
  Join();
}

bool JobThread::Start(std::function<void()> tick) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (thread_.joinable()) return false;
  tick_ = std::move(tick);
  quit_ = false;
  try {
    thread_ = std::thread(&JobThread::Loop, this);
  } catch (const std::system_error&) {
    return false;
  }
  running_ = true;
  return true;
}

void JobThread::PostTick() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    tick_posted_ = true;
  }
  wake_.notify_all();
}

void JobThread::Quit() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
}

void JobThread::Join() {
  if (thread_.joinable() && !OnLoopThread()) thread_.join();
}

bool JobThread::Running() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return running_;
}

bool JobThread::OnLoopThread() const { return std::this_thread::get_id() == thread_.get_id(); }

void JobThread::Loop() {
  auto next = std::chrono::steady_clock::now() + period_;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait_until(lock, next, [this] { return quit_ || tick_posted_; });
      if (quit_) break;
      tick_posted_ = false;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now >= next) next = now + period_;
    tick_();
    std::lock_guard<std::mutex> lock(mutex_);
    if (quit_) break;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  running_ = false;
}

}  // namespace corvane
