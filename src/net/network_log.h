// The network log, "eggnet.log" in the run's temporary directory, written by
// the download worker. Its path and its switch are handed in by the job (no
// process-wide state). Each line is written by open-append-close; nothing is
// written while the log is disabled or its path is empty, and a log that
// cannot be opened loses its line silently. Safe to call from any thread.
#pragma once

#include <string>

namespace corvane {

class NetworkLog {
 public:
  NetworkLog() = default;
  NetworkLog(std::string path, bool enabled) : path_(std::move(path)), enabled_(enabled) {}

  // Appends text and a line feed.
  void Line(const std::string& text) const;
  // Starts a fresh log: truncates the file and writes one empty line.
  void StartFresh() const;

  const std::string& path() const { return path_; }
  bool enabled() const { return enabled_; }

 private:
  bool Active() const { return enabled_ && !path_.empty(); }

  std::string path_;
  bool enabled_ = false;
};

}  // namespace corvane
