#include "job_harness.h"

#include <chrono>
#include <filesystem>
#include <thread>

#include "core/date_time.h"
#include "core/progress_log.h"

namespace corvane::testing {

eggdata::EggDataOptions DataRange(const std::string& start, const std::string& stop, int eggs) {
  eggdata::EggDataOptions options;
  options.start = SecondsFromText(start);
  options.stop = SecondsFromText(stop);
  options.eggCount = eggs;
  return options;
}

ProgressLogCapture::ProgressLogCapture(const std::string& path) : path_(path) {
  SetLogPath(path);
  SetLogProgress(true);
  StartLog();
}

ProgressLogCapture::~ProgressLogCapture() {
  SetLogProgress(false);
  SetLogPath("");
}

std::string ProgressLogCapture::Contents() const { return ReadFile(path_); }

JobHarness::JobHarness(RecordingLink* external)
    : root(dir.File("out/")),
      temp(dir.File("tmp/")),
      link(external != nullptr ? *external : own_link),
      job(std::make_unique<CEggStatistics>(&link, &link)) {
  std::filesystem::create_directories(root);
  std::filesystem::create_directories(temp);
  gnuplot = dir.File("gnuplot-recorder");
  gnuplot_arguments = dir.File("gnuplot-arguments.txt");
  WriteFile(gnuplot, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + gnuplot_arguments + ".part'\nmv '" +
                         gnuplot_arguments + ".part' '" + gnuplot_arguments + "'\n");
  std::filesystem::permissions(gnuplot, std::filesystem::perms::owner_all);
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

std::string JobHarness::WaitForGnuplotArguments(int timeoutMs) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!FileExists(gnuplot_arguments) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return ReadFile(gnuplot_arguments);
}

void JobHarness::TickUntilEnded(int ticks) {
  for (int i = 0; i < ticks && !job->Ended(); ++i) job->OnJobTimer();
}

}  // namespace corvane::testing
