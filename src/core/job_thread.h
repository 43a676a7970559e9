// A thread with a message loop and a periodic tick: the home of one analysis
// job.
//
// Start runs the loop on a new thread; the tick callback runs there every
// period, or at once after PostTick. Quit (the quit message) ends the loop
// after the tick in progress; Join waits for the thread. The destructor quits
// and joins, so it must not run on the loop's own thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace corvane {

class JobThread {
 public:
  explicit JobThread(std::chrono::milliseconds period = std::chrono::milliseconds(1000));
  ~JobThread();
  JobThread(const JobThread&) = delete;
  JobThread& operator=(const JobThread&) = delete;

  // Starts the loop with the tick to run. False when a thread already runs or
  // could not be created.
  bool Start(std::function<void()> tick);

  // Asks for a tick as soon as the loop is free, without waiting for the
  // period. Ticks asked for while one runs are merged into one.
  void PostTick();

  // Ends the loop after the tick in progress. May be called from any thread,
  // including the loop's own.
  void Quit();

  // Waits for the loop's thread to end. Not on the loop's own thread.
  void Join();

  bool Running() const;
  bool OnLoopThread() const;

 private:
  void Loop();

  const std::chrono::milliseconds period_;
  std::function<void()> tick_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool quit_ = false;
  bool tick_posted_ = false;
  bool running_ = false;
  std::thread thread_;
};

}  // namespace corvane
