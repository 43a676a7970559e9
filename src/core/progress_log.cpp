#include "core/progress_log.h"

#include <atomic>
#include <mutex>

#include "core/output_file.h"

namespace corvane {
namespace {

std::atomic<bool> log_progress{false};
thread_local LogSink* thread_sink = nullptr;
std::mutex path_mutex;
std::string& PathStorage() {
  static std::string path;
  return path;
}

}  // namespace

void SetLogProgress(bool on) { log_progress.store(on); }
bool LogProgress() { return log_progress.load(); }

void SetLogPath(const std::string& path) {
  std::lock_guard<std::mutex> lock(path_mutex);
  PathStorage() = path;
}

std::string LogPath() {
  std::lock_guard<std::mutex> lock(path_mutex);
  return PathStorage();
}

void StartLog() {
  if (!LogProgress()) return;
  const std::string path = LogPath();
  if (path.empty()) return;
  OutputFile file;
  if (file.Open(path, "w")) {
    file.Write("\n");
    file.Close();
  }
}

void LogLine(const std::string& text) {
  if (thread_sink != nullptr) {
    thread_sink->Log(text);
    return;
  }
  WriteLogLine(text);
}

ScopedLogSink::ScopedLogSink(LogSink* sink) : previous_(thread_sink) { thread_sink = sink; }
ScopedLogSink::~ScopedLogSink() { thread_sink = previous_; }

void WriteLogLine(const std::string& text) {
  if (!LogProgress()) return;
  const std::string path = LogPath();
  if (path.empty()) return;
  AppendTextLine(path, text);
}

}  // namespace corvane
