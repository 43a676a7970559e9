// A job that takes its input from the stand-in data server on a free
// loopback port, for the remote-run tests. The job's thread is not started:
// the test ticks it, while the download workers run on their own threads.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "dataserver/data_server.h"
#include "job_harness.h"

namespace corvane::testing {

struct RemoteHarness : JobHarness {
  explicit RemoteHarness(dataserver::ServerOptions options = SmallServer());

  // Synthetic data of few eggs, so that whole days are quick to make.
  static dataserver::ServerOptions SmallServer();

  // What the form does for a remote run: the setters and StartAnalysis.
  void StartRemoteRun(const std::string& dataName, const std::string& start,
                      const std::string& stop, bool pseudoEggs = false, bool batch = false);

  // Ticks the job until the condition holds or the job has ended (true when
  // the condition holds), at most for the time given.
  bool TickUntil(const std::function<bool()>& condition,
                 std::chrono::milliseconds limit = std::chrono::seconds(60));
  void TickToEnd() {
    TickUntil([] { return false; });
  }

  // Data requests the server has answered or is answering.
  int DataRequests() const { return server->DataRequestCount(); }

  std::unique_ptr<dataserver::DataServer> server;
  // The job's clock (seconds), moved by the test.
  std::shared_ptr<std::atomic<std::int64_t>> clock;
};

}  // namespace corvane::testing
