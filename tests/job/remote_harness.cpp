#include "remote_harness.h"

#include <thread>

#include <gtest/gtest.h>

namespace corvane::testing {

dataserver::ServerOptions RemoteHarness::SmallServer() {
  dataserver::ServerOptions options;
  options.eggCount = 8;
  options.seed = 11;
  return options;
}

RemoteHarness::RemoteHarness(dataserver::ServerOptions options)
    : clock(std::make_shared<std::atomic<std::int64_t>>(1000)) {
  options.port = 0;
  server = std::make_unique<dataserver::DataServer>(options);
  std::string error;
  EXPECT_TRUE(server->Start(&error)) << error;
  auto now = clock;
  job->SetClock([now] { return now->load(); });
}

void RemoteHarness::StartRemoteRun(const std::string& dataName, const std::string& start,
                                   const std::string& stop, bool pseudoEggs, bool batch) {
  Configure();
  job->SetDataUrls(server->DataUrl(), server->PseudoDataUrl());
  job->SetLocalEggFile("");
  job->SetRemoteAccess(true, pseudoEggs);
  job->SetStartTime(start);
  job->SetStopTime(stop);
  job->StartAnalysis(batch, dataName, start, stop);
}

bool RemoteHarness::TickUntil(const std::function<bool()>& condition,
                              std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    if (job->Ended()) return false;
    job->OnJobTimer();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return condition();
}

}  // namespace corvane::testing
