// The progress log, "egg.log" in the temporary directory.
//
// One process-wide switch (the LogProgress setting) and one path. Each line is
// written by open-append-close, so the log stays complete if the program ends
// abruptly. A log that cannot be opened loses its line silently. Safe to call
// from any thread; lines of different threads appear in call order.
#pragma once

#include <string>

namespace corvane {

void SetLogProgress(bool on);
bool LogProgress();

// The full path of the log file; empty means no log.
void SetLogPath(const std::string& path);
std::string LogPath();

// Truncates the log and writes one empty line (when the switch is on and the
// path is set).
void StartLog();

// Appends text and a line feed (when the switch is on and the path is set),
// or hands the text to the sink this thread has in place (ScopedLogSink).
void LogLine(const std::string& text);

// Appends to the log itself, whatever sink the thread has in place.
void WriteLogLine(const std::string& text);

// Where a thread's log lines go instead of the log while a ScopedLogSink is
// in place (a batch item's lines, kept in item order).
class LogSink {
 public:
  virtual ~LogSink() = default;
  virtual void Log(const std::string& text) = 0;
};

// Sends the calling thread's LogLine calls to sink for its lifetime.
class ScopedLogSink {
 public:
  explicit ScopedLogSink(LogSink* sink);
  ~ScopedLogSink();
  ScopedLogSink(const ScopedLogSink&) = delete;
  ScopedLogSink& operator=(const ScopedLogSink&) = delete;

 private:
  LogSink* previous_;
};

}  // namespace corvane
