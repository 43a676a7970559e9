#include <chrono>
#include <exception>
#include <new>
#include <stdexcept>

#include "core/c_format.h"
#include "core/data_name.h"
#include "core/date_time.h"
#include "core/paths.h"
#include "input/local_staging.h"
#include "job/job_state.h"
#include "job/run_checks.h"

namespace corvane {
namespace {

std::int64_t MonotonicSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

JobState::JobState(FormLink* link, MessageReporter* reporter)
    : context(link, reporter), now_seconds(MonotonicSeconds) {}

void JobState::RefuseRun(const std::string& message) {
  refused = true;
  context.RunError(message);
  context.Abort();
  thread.PostTick();  // end the job now rather than at the next period
}

bool JobState::RefuseWithoutRootDirectory() {
  if (!context.settings.rootDirectory.empty()) return false;
  refused = true;
  context.ShowMessage("You must specify a root directory for the output");
  context.Abort();
  thread.PostTick();
  return true;
}

bool JobState::CheckRunSettings(const std::string& startText, const std::string& stopText) {
  AnalysisSettings& settings = context.settings;
  if (auto problem = RunSettingsProblem(settings)) {
    RefuseRun(*problem);
    return false;
  }
  // The range comes from validated seconds only; the texts handed over here
  // replace those of the setters when given.
  try {
    if (!startText.empty()) {
      settings.startTime = SecondsFromText(startText);
      settings.startText = startText;
    }
    if (!stopText.empty()) {
      settings.stopTime = SecondsFromText(stopText);
      settings.stopText = stopText;
    }
  } catch (const std::invalid_argument& error) {
    RefuseRun(error.what());
    return false;
  }
  return true;
}

bool JobState::BuildDaySegments() {
  segments.clear();
  segment_files.clear();
  parsed_inputs.clear();
  table.Clear();
  const AnalysisSettings& settings = context.settings;
  segments = corvane::BuildDaySegments(settings.startTime, settings.stopTime);
  if (segments.empty()) {
    RefuseRun(CFormat("The time range covers more than %lld calendar days",
                      static_cast<long long>(kMaxDaySegments)));
    return false;
  }
  segment_files.assign(segments.size(), std::string());
  parsed_inputs.assign(segments.size(), nullptr);
  input_file_count = 0;
  return true;
}

void JobState::StartAnalysis(bool batch, const std::string& dataName, const std::string& startText,
                             const std::string& stopText) {
  std::lock_guard<std::mutex> lock(run_mutex);
  if (ended.load()) return;  // a job serves one run
  if (RefuseWithoutRootDirectory()) return;
  AnalysisSettings& settings = context.settings;
  context.LogLine("\n" + dataName);
  settings.batchMode = batch;
  context.ClearAbort();
  settings.dataName = dataName;
  if (!CheckRunSettings(startText, stopText)) return;
  settings.outputDirectory = WithSeparator(settings.rootDirectory + dataName);
  context.AdvanceJobStage();
  try {
    if (!BuildDaySegments()) return;
    StartInput();
  } catch (const std::bad_alloc&) {
    RefuseRun("Failed to allocate memory");
  } catch (const std::exception& error) {
    RefuseRun(error.what());
  }
}

void JobState::StartInput() {
  if (context.settings.remoteAccess) {
    std::unique_ptr<RemoteInput> made = MakeRemoteInput(*this);
    if (made == nullptr) {
      RefuseRun("Remote access is not available in this build");
      return;
    }
    RemoteInput* started = made.get();
    {
      std::lock_guard<std::mutex> lock(remote_mutex);
      remote = std::move(made);
    }
    started->Start();
    return;
  }
  ProcessLocalFiles(context, static_cast<int>(segments.size()), segment_files, input_file_count);
  // The input is named: analyse it now rather than at the next period.
  input_complete.store(true, std::memory_order_release);
  thread.PostTick();
}

void JobState::StartDisplay(const std::string& dataName, int displayCode,
                            const std::string& title) {
  std::lock_guard<std::mutex> lock(run_mutex);
  if (ended.load()) return;
  AnalysisSettings& settings = context.settings;
  context.ClearAbort();
  settings.dataName = dataName;
  if (RefuseWithoutRootDirectory()) return;
  if (auto problem = DataNameError(dataName)) {
    RefuseRun(*problem);
    return;
  }
  segment_files.assign(1, settings.rootDirectory + dataName);
  settings.outputDirectory = WithSeparator(segment_files[0]);
  settings.displayCode = displayCode;
  settings.displayTitle = title;
  display_requested.store(true, std::memory_order_release);
  thread.PostTick();
}

void JobState::RequestStop() {
  {
    std::lock_guard<std::mutex> lock(remote_mutex);
    if (remote != nullptr) remote->RequestStop();
  }
  context.RequestStop();
}

}  // namespace corvane
