// Helpers of the job tests: a job with a recording form link, an output root
// and a temporary directory in a fresh directory, a recording gnuplot
// stand-in, a progress log the test reads and, for remote runs, the stand-in
// data server on a free loopback port. The job's thread is not started
// unless a test starts it: tests tick the job themselves.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "dataserver/data_server.h"
#include "eggdata/egg_data_generator.h"
#include "job/egg_statistics.h"
#include "support/recording_link.h"
#include "support/temp_dir.h"
#include "support/text_lines.h"

namespace corvane::testing {

// Synthetic data of `eggs` eggs, one record a second from start to stop.
eggdata::EggDataOptions DataRange(const std::string& start, const std::string& stop, int eggs = 10);
int Count(const std::string& text, const std::string& part);

// The process-wide progress log, on and into path for the object's life.
struct ProgressLogCapture {
  explicit ProgressLogCapture(std::string path);
  ~ProgressLogCapture();
  std::string Contents() const { return ReadFile(path); }
  std::string path;
};

struct JobHarness {
  explicit JobHarness(RecordingLink* link = nullptr);

  // Writes synthetic data to dir/<name>; its path.
  std::string WriteData(const std::string& name, const eggdata::EggDataOptions& options);
  // Temporary directory, output root and the gnuplot stand-in, as the form
  // hands them to every run.
  void Configure();
  void TickUntilEnded(int ticks = 3);
  // The form's setters for a local run and StartAnalysis.
  void StartLocalRun(const std::string& dataName, const std::string& localFile,
                     const std::string& start, const std::string& stop, bool batch = false);
  void RunLocal(const std::string& dataName, const std::string& localFile, const std::string& start,
                const std::string& stop, bool batch = false) {
    StartLocalRun(dataName, localFile, start, stop, batch);
    TickUntilEnded();
  }
  // The arguments gnuplot was started with, one a line ("" when it was not).
  std::string GnuplotArguments() const;
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

struct RemoteHarness : JobHarness {
  static constexpr int kServerEggs = 8;
  static constexpr std::uint64_t kServerSeed = 11;
  RemoteHarness();

  // The form's setters for a remote run and StartAnalysis.
  void StartRemoteRun(const std::string& dataName, const std::string& start,
                      const std::string& stop, bool pseudoEggs = false, bool batch = false);
  // Ticks until the condition holds (true) or the job has ended.
  bool TickUntil(const std::function<bool()>& condition);
  void TickToEnd() {
    TickUntil([] { return false; });
  }
  int DataRequests() const { return server->DataRequestCount(); }

  std::unique_ptr<dataserver::DataServer> server;
};

}  // namespace corvane::testing
