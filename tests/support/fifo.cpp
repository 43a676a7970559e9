#include "support/fifo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <future>

#include <gtest/gtest.h>

namespace corvane::testing {

Fifo::Fifo(std::string path) : path_(std::move(path)) {
  EXPECT_EQ(mkfifo(path_.c_str(), 0600), 0) << path_;
}

Fifo::~Fifo() { std::remove(path_.c_str()); }

void Fifo::Release() const {
  // Succeeds only while a reader has the FIFO open (or is opening it).
  const int fd = open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0) close(fd);
}

bool ReturnsWithoutWaiting(const Fifo& fifo, const std::function<void()>& call) {
  std::future<void> done = std::async(std::launch::async, call);
  if (done.wait_for(kRefusalDeadline) == std::future_status::ready) {
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
