// AnalysisDialog: the jobs it owns, their reports and ends, Stop, Exit and
// the progress timer.
#include "app/analysis_dialog.h"

#include <QEventLoop>

#include "app/analysis_dialog_internal.h"
#include "app/closing_words.h"
#include "app/persisted_settings.h"
#include "app/request_values.h"
#include "core/paths.h"
#include "core/progress_log.h"
#include "core/summary_line.h"

namespace corvane {

namespace {

// The icon of the words the form adds at a run's end: what the user asked
// for (results, or a stop) is information; a run that ended without results
// and without saying why is a failure.
MessageKind ClosingKind(const RunReport& report) {
  switch (report.outcome) {
    case RunOutcome::kCompleted:
    case RunOutcome::kStopped:
      return MessageKind::kInformation;
    case RunOutcome::kRefused:
      return MessageKind::kWarning;
    case RunOutcome::kFailed:
      break;
  }
  return MessageKind::kCritical;
}

}  // namespace

const char* const AnalysisDialog::kRunInProgress =
    "A run is in progress. Wait for it to end, or press Stop.";

bool AppendToSummary(FormView& view, const std::string& outputRoot, const std::string& dataName,
                     const std::string& text) {
  if (outputRoot.empty()) return false;
  if (auto unwritten = AppendSummaryLine(WithSeparator(outputRoot), dataName, text)) {
    view.ShowMessage(*unwritten, std::string(kSummaryNotWritten), MessageKind::kCritical);
  }
  return true;
}

void StartLogIn(const std::string& tempDirectory, const std::string& name) {
  SetLogPath(tempDirectory.empty() ? std::string() : WithSeparator(tempDirectory) + name);
  StartLog();
}

AnalysisDialog::AnalysisDialog(SettingsStore& store, FormView& view)
    : config(DefaultFormConfig()), store_(store), view_(view) {
  ReadAllSettings(store_, fields, config);
  progressTimer_.setInterval(10);
  QObject::connect(&progressTimer_, &QTimer::timeout, &context_, [this] { OnProgressTimer(); });
}

AnalysisDialog::~AnalysisDialog() {
  progressTimer_.stop();
  if (job_) job_->job->StopAnalysis();
  for (const auto& slot : slots_) {
    if (slot->job) slot->job->job->StopAnalysis();
  }
  job_.reset();
  slots_.clear();
  RemoveLanes();
}

const CEggStatistics* AnalysisDialog::CurrentJob() const {
  if (job_) return job_->job.get();
  for (const auto& slot : slots_) {
    if (slot->job) return slot->job->job.get();
  }
  return nullptr;
}

AnalysisDialog::BatchSlot* AnalysisDialog::FindSlot(int jobId) const {
  for (const auto& slot : slots_) {
    if (slot->job && slot->job->id == jobId) return slot.get();
  }
  return nullptr;
}

AnalysisDialog::OwnedJob* AnalysisDialog::FindJob(int jobId) const {
  if (job_ && job_->id == jobId) return job_.get();
  BatchSlot* slot = FindSlot(jobId);
  return slot != nullptr ? slot->job.get() : nullptr;
}

bool AnalysisDialog::RefuseWhileBusy() {
  if (!Busy()) return false;
  view_.ShowMessage(kRunInProgress, std::nullopt, MessageKind::kWarning);
  return true;
}

void AnalysisDialog::ReleaseJob() {
  progressTimer_.stop();
  jobEndPending_ = false;
  job_.reset();
  view_.BusyChanged();
}

void AnalysisDialog::Stop() {
  if (job_ && !job_->ended) job_->job->StopAnalysis();
  for (const auto& slot : slots_) {
    if (slot->job && !slot->job->ended) slot->job->job->StopAnalysis();
  }
  stopRequested_ = true;
}

void AnalysisDialog::OnProgressTimer() {
  const CEggStatistics* job = CurrentJob();
  const ProgressReading reading =
      job != nullptr ? ProgressFromStage(job->JobStage(), job->context().InputFraction())
                     : ProgressFromStage(0);
  if (reading.stop) progressTimer_.stop();
  const int percent = NextProgress(progress_, reading, job != nullptr);
  if (percent != progress_) {
    progress_ = percent;
    view_.SetProgress(progress_);
  }
}

void AnalysisDialog::OnJobStatus(int jobId, const std::string& text) {
  const OwnedJob* job = FindJob(jobId);
  if (job == nullptr) return;
  fields.status = text;
  statusDataName_ = job->dataName;
  view_.PushStatus();
}

void AnalysisDialog::OnJobBytes(int jobId, std::int64_t count) {
  if (FindJob(jobId) == nullptr) return;
  fields.bytesReceived = count;
  view_.PushStatus();
}

void AnalysisDialog::OnJobMessage(int jobId, const std::string& text,
                                  const std::optional<std::string>& caption, MessageKind kind) {
  // In batch mode no message waits for a click; a line the job could not add
  // to the summary table comes here to be shown.
  if (batchMode_ && caption != kSummaryNotWritten) {
    if (BatchSlot* slot = FindSlot(jobId); slot != nullptr && !slot->outputRoot.empty()) {
      ItemSummaryLine(*slot, slot->outputRoot, slot->job->dataName, text);
      return;
    }
    if (job_ && job_->id == jobId && currentSlot_ != nullptr && !job_->outputRoot.empty()) {
      ItemSummaryLine(*currentSlot_, job_->outputRoot, job_->dataName, text);
      return;
    }
    if (job_ && job_->id == jobId &&
        AppendToSummary(view_, job_->outputRoot, job_->dataName, text)) {
      return;
    }
  }
  view_.ShowMessage(text, caption, kind);
}

void AnalysisDialog::OnJobEnded(int jobId, const RunReport& report) {
  OwnedJob* job = FindJob(jobId);
  if (job == nullptr) return;
  job->ended = true;
  job->report = report;
  // A job refused before it took its data name still reports under it.
  if (job->report.dataName.empty()) job->report.dataName = job->dataName;
  if (BatchSlot* slot = FindSlot(jobId)) {
    EndSlot(*slot);
    if (!exiting_) ContinueBatch();
    return;
  }
  // A batch item's job that ends while it is being taken up is retired
  // once it has its place among the items.
  if (currentSlot_ != nullptr) return;
  if (jobCallDepth_ > 0) {
    jobEndPending_ = true;
    return;
  }
  HandleJobEnd();
}

void AnalysisDialog::HandleJobEnd() {
  jobEndPending_ = false;
  if (!job_ || !job_->ended) return;
  const bool analysis = job_->analysis;
  const RunReport report = job_->report;
  const std::string outputRoot = job_->outputRoot;
  const ResultRequest request = job_->request;
  fields.status.clear();
  view_.PushStatus();
  progress_ = 0;
  view_.SetProgress(0);
  // Joining the ended job's thread is the pause after a run.
  ReleaseJob();
  if (runInProgress_) {
    runInProgress_ = false;
    view_.SetWaitCursor(false);
  }
  if (!analysis) return;
  // The results table says why an item ended without results, also when
  // the run itself said nothing.
  RunReport recorded = report;
  if (recorded.message.empty()) recorded.message = ItemSummaryText(report).value_or("");
  // Batch items are retired in item order (analysis_batch.cpp).
  const std::optional<std::string> failure = results_.RecordRun(outputRoot, request, recorded);
  if (exiting_) return;
  if (const std::optional<std::string> text = RunClosingText(report)) {
    view_.ShowMessage(*text, "", ClosingKind(report));
  }
  if (failure) view_.ShowMessage(*failure, std::nullopt);
}

void AnalysisDialog::WaitForJobEnd() {
  QEventLoop loop;
  while (job_ && !jobEndPending_) loop.processEvents(QEventLoop::WaitForMoreEvents);
  while (RunningBatchJobs() > 0) loop.processEvents(QEventLoop::WaitForMoreEvents);
}

bool AnalysisDialog::Exit() {
  if (!view_.PullFields()) return false;
  batchItems_.clear();
  batchCount_ = -1;
  Shutdown();
  return true;
}

void AnalysisDialog::Shutdown() {
  exiting_ = true;
  if (Busy()) {
    Stop();
    // The close may come from within a message box of the job (a desktop
    // logout), whose click cannot return before the close does: the job no
    // longer waits for clicks, and its messages are still shown.
    if (job_) job_->channel->Abandon();
    for (const auto& slot : slots_) {
      if (slot->job) slot->job->channel->Abandon();
    }
    WaitForJobEnd();
  }
  if (batchMode_) {
    // The items that ended still leave their records and lines.
    RetireEndedItems();
    slots_.clear();
    batchMode_ = false;
    resolution_ = 1;
    RemoveLanes();
    results_.FinishBatch();
  }
  exiting_ = false;
}

}  // namespace corvane
