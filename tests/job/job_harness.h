// Helpers of the job tests: a job with a recording form link, an output root
// and a temporary directory in a fresh directory, a recording gnuplot
// stand-in, a progress log the test reads and, for remote runs, the stand-in
// data server on a free loopback port. The job's thread is not started
// unless a test starts it: tests tick the job themselves.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/date_time.h"
#include "core/progress_log.h"
#include "dataserver/data_server.h"
#include "eggdata/egg_data_generator.h"
#include "job/egg_statistics.h"
#include "support/gnuplot_recorder.h"
#include "support/recording_link.h"
#include "support/temp_dir.h"
#include "support/text_lines.h"

namespace corvane::testing {

// Synthetic data of `eggs` eggs, one record a second from start to stop.
inline eggdata::EggDataOptions DataRange(const std::string& start, const std::string& stop,
                                         int eggs = 10) {
  eggdata::EggDataOptions options;
  options.start = SecondsFromText(start);
  options.stop = SecondsFromText(stop);
  options.eggCount = eggs;
  return options;
}

inline int Count(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// Polls the condition until it holds (true) or the time is out.
inline bool WaitFor(const std::function<bool()>& condition,
                    std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  return condition();
}

// The process-wide progress log, on and into path for the object's life.
struct ProgressLogCapture {
  explicit ProgressLogCapture(std::string logPath) : path(std::move(logPath)) {
    SetLogPath(path);
    SetLogProgress(true);
    StartLog();
  }
  ~ProgressLogCapture() {
    SetLogProgress(false);
    SetLogPath("");
  }
  std::string Contents() const { return ReadFile(path); }
  std::string path;
};

// A form link that, when the run posts the trigger status, presses Stop (as
// the form's thread would at that moment) or fails.
struct ActingLink : RecordingLink {
  void PostStatus(const std::string& text) override {
    RecordingLink::PostStatus(text);
    if (text != trigger) return;
    if (fail) throw std::runtime_error("status line unavailable");
    job->StopAnalysis();
  }
  std::string trigger = "-";
  bool fail = false;
  CEggStatistics* job = nullptr;
};

struct JobHarness {
  explicit JobHarness(RecordingLink* external = nullptr)
      : link(external != nullptr ? *external : ownLink),
        job(std::make_unique<CEggStatistics>(&link, &link)) {
    std::filesystem::create_directories(root);
    std::filesystem::create_directories(temp);
    WriteGnuplotRecorder(gnuplot, gnuplotRecord);
  }

  // Writes synthetic data to dir/<name>; its path.
  std::string WriteData(const std::string& name, const eggdata::EggDataOptions& options) {
    EXPECT_TRUE(eggdata::WriteEggDataFile(dir.File(name), options, false)) << name;
    return dir.File(name);
  }
  // Temporary directory, output root and the gnuplot stand-in, as the form
  // hands them to every run.
  void Configure() {
    job->SetTempDirectory(temp, true);
    job->SetRootDirectory(root);
    job->SetGnuplotPath(gnuplot);
  }
  void TickUntilEnded() {
    for (int i = 0; i < 3 && !job->Ended(); ++i) job->OnJobTimer();
  }
  // The form's setters for a local run and StartAnalysis.
  void StartLocalRun(const std::string& dataName, const std::string& localFile,
                     const std::string& start, const std::string& stop, bool batch = false) {
    Configure();
    job->SetLocalEggFile(localFile);
    job->SetRemoteAccess(false, false);
    job->SetStartTime(start);
    job->SetStopTime(stop);
    job->StartAnalysis(batch, dataName, start, stop);
  }
  void RunLocal(const std::string& dataName, const std::string& localFile, const std::string& start,
                const std::string& stop, bool batch = false) {
    StartLocalRun(dataName, localFile, start, stop, batch);
    TickUntilEnded();
  }
  std::string Output(const std::string& dataName, const std::string& file) const {
    return root + dataName + "/" + file;
  }

  TempDir dir;
  std::string root = dir.File("out/");
  std::string temp = dir.File("tmp/");
  std::string gnuplot = dir.File("gnuplot");
  std::string gnuplotRecord = dir.File("gnuplot-arguments");
  RecordingLink ownLink;
  RecordingLink& link;
  std::unique_ptr<CEggStatistics> job;
};

// The last status says that a failed download waits for its retry.
inline bool RetryWaiting(const RecordingLink& link) {
  const std::vector<std::string> statuses = link.statuses();
  return !statuses.empty() && statuses.back().find("; retry ") != std::string::npos;
}

struct RemoteHarness : JobHarness {
  static constexpr int kServerEggs = 8;
  static constexpr std::uint64_t kServerSeed = 11;
  // The longest wait between two tries of a download.
  static constexpr std::int64_t kLongestRetryWait = 30;
  explicit RemoteHarness(RecordingLink* external = nullptr) : JobHarness(external) {
    EXPECT_TRUE(server->Start());
  }

  // The form's setters for a remote run and StartAnalysis.
  void StartRemoteRun(const std::string& dataName, const std::string& start,
                      const std::string& stop, bool pseudoEggs = false, bool batch = false) {
    Configure();
    job->SetDataUrls(server->DataUrl(), server->PseudoDataUrl());
    job->SetRemoteAccess(true, pseudoEggs);
    job->StartAnalysis(batch, dataName, start, stop);
  }
  // Gives the job the harness's clock, which TickUntil moves on past every
  // wait for a retry, so that no test waits for one.
  void UseTestClock() {
    testClock = true;
    job->SetClock([this] { return clock.load(); });
  }
  // Ticks until the condition holds (true) or the job has ended.
  bool TickUntil(const std::function<bool()>& condition) {
    return WaitFor([&] {
             if (condition() || job->Ended()) return true;
             if (testClock && RetryWaiting(link)) clock += kLongestRetryWait;
             job->OnJobTimer();
             return false;
           }) &&
           condition();
  }
  void TickToEnd() {
    TickUntil([] { return false; });
  }
  int DataRequests() const { return server->DataRequestCount(); }
  // The files of the temporary directory besides the network log.
  std::vector<std::string> TempLeftovers() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(temp)) {
      const std::string name = entry.path().filename().string();
      if (name != "eggnet.log") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::atomic<std::int64_t> clock{1000};
  bool testClock = false;

  std::unique_ptr<dataserver::DataServer> server = std::make_unique<dataserver::DataServer>(
      dataserver::ServerOptions{"127.0.0.1", 0, "", "", kServerEggs, kServerSeed});
};

}  // namespace corvane::testing
