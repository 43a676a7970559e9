// WorkerThread: a thread that an object owns and runs one body (Run) on. It
// has no message loop. The owner and the body talk through three auto-reset
// events: "ready" (set by the body when it is ready for work), "stop" (set by
// Stop to ask the body to end) and "done" (set by the base when the body has
// returned).
//
// Contract:
//  - Start, SetName, Stop, Suspend, Resume and Dispose belong to the owner's
//    thread; Run runs on the new thread. Start on a worker whose thread still
//    runs changes nothing and returns non-zero.
//  - Stop sets the stop event and waits up to the stop time-out (10000 ms)
//    for the body to return. A body that does not answer is abandoned, not
//    killed: the thread is detached, Abandoned() becomes true and ExitCode()
//    1. Stop called on the worker's own thread only sets the stop event.
//  - No exception escapes the thread: one thrown by the body ends it quietly,
//    and the done event is set as after a normal return.
//  - Suspend and Resume are cooperative: the body pauses at its
//    SuspensionPoint calls while the worker is suspended (a Stop releases it).
//    Suspend counts at most once, so Suspend twice and Resume once resumes.
//  - Ownership: release a worker through Dispose, which stops it and deletes
//    it at once, or, when it had to be abandoned, hands it to its own thread,
//    which deletes it as soon as the body returns. The body of an abandoned
//    worker must therefore only touch the worker itself and what it shares
//    ownership of. A derived class whose destructor may meet a running body
//    calls EndThread first.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "core/auto_reset_event.h"

namespace corvane {

enum class ThreadPriority : int { kNormal = 0, kBelowNormal = 1, kLowest = 2 };

class WorkerThread {
 public:
  static constexpr int kStartAtOnce = 0;
  static constexpr int kStartSuspended = 4;
  static constexpr std::chrono::milliseconds kDefaultWait{10000};

  WorkerThread() = default;
  virtual ~WorkerThread();
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  // Starts the body on a new thread (kind kStartAtOnce, or kStartSuspended to
  // hold it until Resume). A non-empty name replaces the worker's name. The
  // priority is applied as far as the system allows. Returns non-zero when a
  // thread runs afterwards, 0 when none could be made (or the worker was
  // abandoned and its body still runs).
  virtual int Start(int kind, ThreadPriority priority, const std::string& name);
  // Replaces the name; returns the length of the text + 1.
  virtual int SetName(const std::string& text);
  virtual void Stop();
  // The body; the base's does nothing.
  virtual void Run() {}
  virtual void Suspend();
  virtual void Resume();

  // Stops the worker and releases it (see the file comment).
  static void Dispose(std::unique_ptr<WorkerThread> worker);

  AutoResetEvent& ReadyEvent() { return ready_; }
  AutoResetEvent& StopEvent() { return stop_; }
  AutoResetEvent& DoneEvent() { return done_; }

  const std::string& Name() const { return name_; }
  std::chrono::milliseconds ReadyTimeout() const { return ready_timeout_; }
  void SetReadyTimeout(std::chrono::milliseconds timeout) { ready_timeout_ = timeout; }
  std::chrono::milliseconds StopTimeout() const { return stop_timeout_; }
  void SetStopTimeout(std::chrono::milliseconds timeout) { stop_timeout_ = timeout; }

  // A thread has been started and its body has not returned yet.
  bool Running() const;
  bool Abandoned() const;
  // 1 for an abandoned worker, 0 otherwise.
  int ExitCode() const;
  int SuspendCount() const;

 protected:
  // Where the body may pause: blocks while the worker is suspended, until
  // Resume or Stop.
  void SuspensionPoint();
  // True once Stop has asked the body to end (the stop event is not used up).
  bool StopRequested() const { return stop_requested_.load(); }
  // Stops the thread and waits, without a time-out, until its body has
  // returned. For destructors of derived classes.
  void EndThread();

 private:
  void Entry();

  AutoResetEvent ready_;
  AutoResetEvent stop_;
  AutoResetEvent done_;
  std::string name_ = "noname";
  std::chrono::milliseconds ready_timeout_ = kDefaultWait;
  std::chrono::milliseconds stop_timeout_ = kDefaultWait;

  // Shared by the owner and the worker's thread.
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::thread thread_;
  bool running_ = false;  // body started and not returned
  bool abandoned_ = false;
  bool owned_by_thread_ = false;  // the thread deletes the worker when the body returns
  int suspend_count_ = 0;
  std::atomic<bool> stop_requested_{false};
};

}  // namespace corvane
