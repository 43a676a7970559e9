#include "job_harness.h"

#include <chrono>
#include <filesystem>

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
  WriteGnuplotRecorder(gnuplot, gnuplot_arguments);
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
  return WaitForRecord(gnuplot_arguments, std::chrono::milliseconds(timeoutMs));
}

void JobHarness::TickUntilEnded(int ticks) {
  for (int i = 0; i < ticks && !job->Ended(); ++i) job->OnJobTimer();
}

}  // namespace corvane::testing
