// A named pipe (FIFO) for tests of readers that must refuse one rather than
// wait on it, and the check that a call returns in time.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <future>
#include <string>

#include <gtest/gtest.h>

namespace corvane::testing {

class Fifo {
 public:
  // Makes a FIFO at path; fails the test when it cannot.
  explicit Fifo(std::string path) : path_(std::move(path)) {
    EXPECT_EQ(mkfifo(path_.c_str(), 0600), 0) << path_;
  }
  ~Fifo() { std::remove(path_.c_str()); }
  Fifo(const Fifo&) = delete;
  Fifo& operator=(const Fifo&) = delete;

  const std::string& path() const { return path_; }

  // Lets a reader that is waiting on the FIFO go on (it then reads an empty
  // file): opens the writing end and closes it at once, which succeeds only
  // while a reader has the FIFO open (or is opening it).
  void Release() const {
    const int fd = open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) close(fd);
  }

 private:
  std::string path_;
};

// Runs call on a thread of its own and waits until it returns or the
// deadline passes. True when it returned in time. When it did not, the
// FIFO is released until the call has returned, so the test can go on.
// A refusal takes microseconds; a reader that waits on a FIFO never ends by
// itself. The deadline is generous so that a busy machine does not fail it.
inline bool ReturnsWithoutWaiting(const Fifo& fifo, const std::function<void()>& call) {
  std::future<void> done = std::async(std::launch::async, call);
  if (done.wait_for(std::chrono::seconds(5)) == std::future_status::ready) {
    done.get();
    return true;
  }
  while (done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
    fifo.Release();
  }
  done.get();
  return false;
}

}  // namespace corvane::testing
