// Shared pieces of the benchmarks: one day of synthetic egg data on disk, the
// form's side of a job, date texts, and the process's peak resident memory.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>

#include "core/date_time.h"
#include "core/form_link.h"
#include "core/paths.h"
#include "eggdata/egg_data_generator.h"

namespace corvane::bench {

inline constexpr std::int64_t kBenchDay = 1304380800;  // 2011-05-03 00:00:00

// One whole day (86,400 records) of 60 eggs with 1% missing values, as plain
// text and gzip-compressed, in a fresh temporary directory that goes away
// with the object. The files are written by a child process, so that the
// generator's memory never counts in this process's peak.
struct DayDataFiles {
  std::string dir;
  std::string csv;
  std::string gz;
  bool ok = false;

  DayDataFiles() {
    std::string pattern = SystemTempDirectory() + "corvane-bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return;
    dir = WithSeparator(pattern);
    csv = dir + "day.csv";
    gz = dir + "day.gz";
    const pid_t child = fork();
    if (child == 0) {
      eggdata::EggDataOptions options;
      options.start = kBenchDay;
      options.stop = kBenchDay + 86399;
      options.eggCount = 60;
      options.missingFraction = 0.01;
      const bool written = eggdata::WriteEggDataFile(csv, options, false) &&
                           eggdata::WriteEggDataFile(gz, options, true);
      _exit(written ? 0 : 1);
    }
    int status = 0;
    ok = child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
  }
  ~DayDataFiles() {
    std::error_code error;
    if (!dir.empty()) std::filesystem::remove_all(dir, error);
  }
  DayDataFiles(const DayDataFiles&) = delete;
  DayDataFiles& operator=(const DayDataFiles&) = delete;
};

// The form's side of a job: ignores status and bytes, remembers the first
// message the run shows, and lets the benchmark wait for the run's end.
class RunEndWaiter : public FormLink, public MessageReporter {
 public:
  void PostStatus(const std::string&) override {}
  void PostBytesReceived(std::int64_t) override {}
  void ShowMessage(const std::string& text, const std::optional<std::string>&,
                   MessageKind) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!message_) message_ = text;
  }
  void NotifyRunEnded(const RunReport&) override {
    std::lock_guard<std::mutex> lock(mutex_);
    ended_ = true;
    changed_.notify_all();
  }
  // False when the run has not ended within two minutes.
  bool WaitForEnd() {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::minutes(2), [this] { return ended_; });
  }
  // The first message shown, if any.
  std::optional<std::string> message() {
    std::lock_guard<std::mutex> lock(mutex_);
    return message_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool ended_ = false;
  std::optional<std::string> message_;
};

// "2011-05-03 14:00:00".
inline std::string DateTimeText(std::int64_t seconds) {
  const DateTime time(seconds);
  return time.DateText() + " " + time.TimeText();
}

// The largest resident set this process has had so far, in megabytes.
inline double PeakResidentMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace corvane::bench
