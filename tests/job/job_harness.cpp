#include "job_harness.h"

#include <filesystem>

#include "core/progress_log.h"

namespace corvane::testing {

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

JobHarness::JobHarness()
    : root(dir.File("out/")),
      temp(dir.File("tmp/")),
      job(std::make_unique<CEggStatistics>(&link, &link)) {
  std::filesystem::create_directories(root);
  std::filesystem::create_directories(temp);
}

void JobHarness::Configure() {
  job->SetTempDirectory(temp, true);
  job->SetRootDirectory(root);
}

void JobHarness::TickUntilEnded(int ticks) {
  for (int i = 0; i < ticks && !job->Ended(); ++i) job->OnJobTimer();
}

}  // namespace corvane::testing
