#include <exception>
#include <new>

#include "job/job_state.h"
#include "output/plot_display.h"

namespace corvane {

void JobState::Tick() {
  std::lock_guard<std::mutex> lock(run_mutex);
  if (ended.load()) return;
  bool finished = false;
  // Nothing may escape the job's thread: a failure of any step is reported
  // as a run error and ends the run like any other fatal failure.
  try {
    if (remote != nullptr && !context.Aborted()) remote->OnTick();
    if (context.Aborted()) {
      finished = true;
    } else if (input_complete.exchange(false, std::memory_order_acquire)) {
      finished = true;
      RunSequence();
    } else if (display_requested.exchange(false, std::memory_order_acquire)) {
      finished = true;
      RunDisplay(context);
      results_written = !context.Aborted();
    }
  } catch (const std::bad_alloc&) {
    finished = true;
    ReportFailure("Failed to allocate memory");
  } catch (const std::exception& error) {
    finished = true;
    ReportFailure(std::string("Unexpected failure: ") + error.what());
  } catch (...) {
    finished = true;
    ReportFailure("Unexpected failure");
  }
  if (finished) Cleanup();
}

void JobState::ReportFailure(const std::string& message) noexcept {
  try {
    context.RunError(message);
  } catch (...) {
    // The report itself failed (no memory, no reporter): the run still ends.
  }
  context.Abort();
}

void JobState::ReleaseRemoteInput() {
  std::unique_ptr<RemoteInput> released;
  {
    std::lock_guard<std::mutex> lock(remote_mutex);
    released = std::move(remote);
  }
  if (released != nullptr) released->Release();
}

RunReport JobState::MakeReport() const {
  RunReport report;
  const AnalysisSettings& settings = context.settings;
  report.dataName = settings.dataName;
  report.outputDirectory = settings.outputDirectory;
  // Results written before a Stop arrived still count; a failure reported
  // before the Stop decides over the Stop, and so does one that came after
  // the results were written (the plot picture).
  if (results_written && !context.Failed()) {
    report.outcome = RunOutcome::kCompleted;
    report.statistics = statistics;
    report.intervals = intervals;
  } else if (context.StopRequested()) {
    report.outcome = RunOutcome::kStopped;
  } else {
    report.outcome = refused ? RunOutcome::kRefused : RunOutcome::kFailed;
    report.message = context.FailureMessage();
  }
  return report;
}

void JobState::Cleanup() {
  if (ended.exchange(true)) return;
  context.SetJobStage(0);
  RunReport report;
  try {
    report = MakeReport();
  } catch (...) {
    // Without memory for its texts the report still tells the outcome.
    report.outcome = results_written ? RunOutcome::kCompleted : RunOutcome::kFailed;
  }
  try {
    ReleaseRemoteInput();
  } catch (...) {
    // The worker is gone either way; the run still has to end.
  }
  series = CompositeSeries();
  table = EggSampleTable();
  segments = std::vector<DaySegment>();
  segment_files = SegmentFileList();
  parsed_inputs = ParsedInputs();
  context.settings.eggSubgroup = std::vector<int>();
  input_file_count = 0;
  try {
    context.LogLine("CEggStatistics::Cleanup done");
    context.LogLine("Exit CEggStatistics");
    context.PostStatus("");
  } catch (...) {
    // Losing a log line must not keep the form from hearing of the end.
  }
  thread.Quit();
  if (context.link() != nullptr) context.link()->NotifyRunEnded(report);
}

}  // namespace corvane
