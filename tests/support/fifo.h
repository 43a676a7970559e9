// A named pipe (FIFO) for tests of readers that must refuse one rather than
// wait on it, and the check that a call returns in time.
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace corvane::testing {

class Fifo {
 public:
  // Makes a FIFO at path; fails the test when it cannot.
  explicit Fifo(std::string path);
  ~Fifo();
  Fifo(const Fifo&) = delete;
  Fifo& operator=(const Fifo&) = delete;

  const std::string& path() const { return path_; }

  // Lets a reader that is waiting on the FIFO go on (it then reads an empty
  // file): opens the writing end and closes it at once.
  void Release() const;

 private:
  std::string path_;
};

// A refusal takes microseconds; a reader that waits on a FIFO never ends by
// itself. The deadline is generous so that a busy machine does not fail it.
inline constexpr std::chrono::seconds kRefusalDeadline{5};

// Runs call on a thread of its own and waits until it returns or the
// deadline passes. True when it returned in time. When it did not, the
// FIFO is released until the call has returned, so the test can go on.
bool ReturnsWithoutWaiting(const Fifo& fifo, const std::function<void()>& call);

}  // namespace corvane::testing
