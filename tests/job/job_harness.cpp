#include "job_harness.h"

#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "core/date_time.h"
#include "core/progress_log.h"
#include "support/gnuplot_recorder.h"

namespace corvane::testing {

eggdata::EggDataOptions DataRange(const std::string& start, const std::string& stop, int eggs) {
  eggdata::EggDataOptions options;
  options.start = SecondsFromText(start);
  options.stop = SecondsFromText(stop);
  options.eggCount = eggs;
  return options;
}

int Count(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

ProgressLogCapture::ProgressLogCapture(std::string logPath) : path(std::move(logPath)) {
  SetLogPath(path);
  SetLogProgress(true);
  StartLog();
}

ProgressLogCapture::~ProgressLogCapture() {
  SetLogProgress(false);
  SetLogPath("");
}

JobHarness::JobHarness(RecordingLink* external)
    : link(external != nullptr ? *external : ownLink),
      job(std::make_unique<CEggStatistics>(&link, &link)) {
  std::filesystem::create_directories(root);
  std::filesystem::create_directories(temp);
  WriteGnuplotRecorder(gnuplot, gnuplotRecord);
}

std::string JobHarness::WriteData(const std::string& name, const eggdata::EggDataOptions& options) {
  const std::string path = dir.File(name);
  EXPECT_TRUE(eggdata::WriteEggDataFile(path, options, false)) << path;
  return path;
}

void JobHarness::Configure() {
  job->SetTempDirectory(temp, true);
  job->SetRootDirectory(root);
  job->SetGnuplotPath(gnuplot);
}

void JobHarness::StartLocalRun(const std::string& dataName, const std::string& localFile,
                               const std::string& start, const std::string& stop, bool batch) {
  Configure();
  job->SetLocalEggFile(localFile);
  job->SetRemoteAccess(false, false);
  job->SetStartTime(start);
  job->SetStopTime(stop);
  job->StartAnalysis(batch, dataName, start, stop);
}

void JobHarness::TickUntilEnded(int ticks) {
  for (int i = 0; i < ticks && !job->Ended(); ++i) job->OnJobTimer();
}

std::string JobHarness::GnuplotArguments() const { return WaitForRecord(gnuplotRecord); }

RemoteHarness::RemoteHarness() {
  dataserver::ServerOptions options;
  options.port = 0;
  options.eggCount = kServerEggs;
  options.seed = kServerSeed;
  server = std::make_unique<dataserver::DataServer>(options);
  EXPECT_TRUE(server->Start());
}

void RemoteHarness::StartRemoteRun(const std::string& dataName, const std::string& start,
                                   const std::string& stop, bool pseudoEggs, bool batch) {
  Configure();
  job->SetDataUrls(server->DataUrl(), server->PseudoDataUrl());
  job->SetRemoteAccess(true, pseudoEggs);
  job->StartAnalysis(batch, dataName, start, stop);
}

bool RemoteHarness::TickUntil(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!condition()) {
    if (job->Ended() || std::chrono::steady_clock::now() > deadline) return false;
    job->OnJobTimer();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace corvane::testing
