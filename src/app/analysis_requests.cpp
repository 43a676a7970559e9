// AnalysisDialog: checking a request and starting its analysis or display
// job.
#include "app/analysis_dialog.h"

#include <stdexcept>

#include "app/analysis_dialog_internal.h"
#include "app/persisted_settings.h"
#include "app/request_checks.h"
#include "app/request_values.h"
#include "app/time_completion.h"
#include "audio/audio_settings_check.h"
#include "core/data_name.h"
#include "core/paths.h"
#include "core/shard_journal.h"
#include "net/request_url.h"
#include "stats/dft_files.h"
#include "stats/interval_comparison.h"
#include "stats/smoothing_settings.h"

namespace corvane {

namespace {

// Where the user sets the directories that a request may be refused for.
const char* const kSetInCustomize = "Set it in Options > Customize.";

}  // namespace

void AnalysisDialog::Refuse(const std::string& text, const std::optional<std::string>& caption,
                            MessageKind kind) {
  lastRefusal_ = text;
  if (batchMode_ && currentSlot_ != nullptr && !fields.outputRoot.empty()) {
    ItemSummaryLine(*currentSlot_, fields.outputRoot, fields.dataName, text);
    return;
  }
  if (batchMode_ && AppendToSummary(view_, fields.outputRoot, fields.dataName, text)) return;
  view_.ShowMessage(text, caption, kind);
}

std::optional<std::string> AnalysisDialog::CheckRequest() const {
  if (Refusal r = SmoothingSettingsError(fields.smoothWindowType, fields.smoothWindowSize,
                                         fields.expCoeff)) {
    return r;
  }
  if (Refusal r = CheckResolution(resolution_)) return r;
  if (fields.dft) {
    if (Refusal r = DftSizeError(ReducedDftSize(fields.dftSize))) return r;
  }
  if (fields.compareIntervals) {
    if (Refusal r = IntervalSettingsError(fields.interval1Start, fields.interval2Start,
                                          fields.intervalDuration)) {
      return r;
    }
  }
  if (Refusal r = CheckEchoMethod(fields.echoMethod)) return r;
  if (Refusal r = CheckDisplayVariable(fields.displayVariable)) return r;
  if (Refusal r = CheckEventDuration(fields.eventDuration)) return r;
  if (fields.audioOutput) {
    if (Refusal r = AudioSettingsError(config.audio)) return r;
  }
  return std::nullopt;
}

bool AnalysisDialog::AnalyzeData() {
  // A batch item taken up runs beside the earlier items still running.
  if (currentSlot_ == nullptr && RefuseWhileBusy()) return false;
  if (!view_.PullFields()) return false;
  if (fields.dataName.empty()) {
    Refuse("Data name not specified", std::nullopt);
    return false;
  }
  if (Refusal r = DataNameError(fields.dataName)) {
    Refuse(*r, kSetupError);
    return false;
  }
  if (fields.outputRoot.empty()) {
    Refuse(
        "Root directory for output is not specified: enter the folder below which each run "
        "writes its results.",
        "");
    return false;
  }
  // A run writes below the output root, and a batch run writes its errors
  // into the root's summary table: a root that cannot be written would lose
  // the results, and in batch mode every message about them.
  if (!IsWritableDirectory(fields.outputRoot)) {
    Refuse("Please specify an existing directory for the output: " + fields.outputRoot,
           kSetupError);
    return false;
  }
  if (config.tempDirectory.empty()) {
    Refuse(std::string("Temp directory is unspecified. ") + kSetInCustomize, "");
    return false;
  }
  const bool completed =
      batchMode_
          ? CompleteTimes(fields.startTime, fields.stopTime, fields.eventTime)
          : CompleteTimes(fields.startTime, fields.stopTime, fields.eventTime, completedStop_);
  if (!completed) {
    Refuse("Must have at least a start date", kSetupError);
    view_.PushFields();
    return false;
  }
  if (Refusal r = CheckRequest()) {
    Refuse(*r, kSetupError);
    view_.PushFields();
    return false;
  }
  if (fields.dft) fields.dftSize = ReducedDftSize(fields.dftSize);
  if (startNewLog_) StartLogIn(config.tempDirectory, LogName());
  const bool started = StartAnalysisJob();
  view_.PushFields();
  if (jobEndPending_) HandleJobEnd();
  return started;
}

std::unique_ptr<AnalysisDialog::OwnedJob> AnalysisDialog::MakeJob() {
  auto owned = std::make_unique<OwnedJob>();
  owned->id = ++lastJobId_;
  owned->channel =
      std::make_unique<JobChannel>(&context_, static_cast<JobEvents*>(this), owned->id);
  owned->dataName = fields.dataName;
  owned->outputRoot = fields.outputRoot;
  try {
    owned->job = std::make_unique<CEggStatistics>(owned->channel.get(), owned->channel.get());
  } catch (const std::exception&) {
    return nullptr;
  }
  if (!owned->job->StartThread()) return nullptr;
  return owned;
}

// Makes the job, hands it the request in the documented order and starts it.
bool AnalysisDialog::StartAnalysisJob() {
  job_ = MakeJob();
  view_.BusyChanged();
  if (!job_) {
    Refuse("EggStatistics thread not initialized", std::nullopt, MessageKind::kCritical);
    return false;
  }
  JobCallGuard guard(*this);
  CEggStatistics& job = *job_->job;
  if (currentSlot_ != nullptr) job.context().SetItemOutput(currentSlot_->output);

  std::vector<std::pair<std::string, std::optional<std::string>>> refusals;
  // An item running beside others works in a temporary folder of its own;
  // the network log stays in the temporary directory.
  const std::string& tempDirectory =
      jobTempDirectory_.empty() ? config.tempDirectory : jobTempDirectory_;
  if (!jobTempDirectory_.empty()) {
    job.context().settings.networkLogPath =
        WithSeparator(config.tempDirectory) +
        (shard_.Active() ? ShardTableName("eggnet.log", shard_) : std::string("eggnet.log"));
  }
  if (!job.SetTempDirectory(tempDirectory, startNewLog_)) {
    refusals.emplace_back("Please specify an existing temporary directory: " +
                              config.tempDirectory + " cannot be written. " + kSetInCustomize,
                          kSetupError);
  }
  if (fields.saveRemoteInput && fields.remoteAccess &&
      !job.SetRemoteSaveDirectory(true, config.remoteSaveDirectory, config.saveCompressed)) {
    refusals.emplace_back("Please specify an existing directory for saving remote files: " +
                              config.remoteSaveDirectory + " cannot be written. " + kSetInCustomize,
                          kSetupError);
  }
  auto refuse = [this](const std::string& text, const std::optional<std::string>& caption) {
    // The job made for the request ends before the message is shown.
    ReleaseJob();
    Refuse(text, caption);
    return false;
  };
  if (!refusals.empty()) {
    ReleaseJob();
    for (const auto& [text, caption] : refusals) Refuse(text, caption);
    return false;
  }

  const bool pseudoEggData = IsPseudoEggDataName(fields.dataName);
  job.SetDataUrls(config.dataUrl, config.pseudoDataUrl);
  job.SetLocalEggFile(fields.localEggFile);
  if (batchMode_) job.SetInputCache(batchInputCache_);
  job.ReadEggGroupFile(fields.eggGroupFile);
  job.SetResolution(resolution_);
  job.SetSmoothing(fields.smoothWindowType, fields.smoothWindowSize,
                   static_cast<double>(static_cast<float>(fields.expCoeff)));
  job.SetRootDirectory(fields.outputRoot);
  job.SetRemoteAccess(fields.remoteAccess, pseudoEggData);
  job.SetAudio(fields.audioOutput, config.audio);
  job.SetDft(fields.dft, fields.dftSize);
  job.SetCompareIntervals(fields.compareIntervals);
  job.SetGnuplotPath(config.gnuplotPath);
  job.SetPlotPictures(config.plotPictures);
  job.SetPlotWindows(&plotWindows_);
  job.SetIntervals(fields.interval1Start, fields.interval2Start, fields.intervalDuration);
  job.SetEchoMethod(fields.echoMethod);

  std::int64_t start = 0;
  std::int64_t stop = 0;
  // The field being converted, named when its text is refused.
  std::pair<const char*, const std::string*> converting{"Event time", &fields.eventTime};
  try {
    job.SetEventTime(fields.eventTime, EventDurationSeconds(fields.eventDuration),
                     fields.displayVariable);
    converting = {"Start time", &fields.startTime};
    start = job.SetStartTime(fields.startTime);
    converting = {"Stop time", &fields.stopTime};
    stop = job.SetStopTime(fields.stopTime);
  } catch (const std::invalid_argument& error) {
    return refuse(std::string(error.what()) + " in " + converting.first + ": \"" +
                      *converting.second + "\" (expected yyyy-mm-dd hh:mm:ss)",
                  kSetupError);
  }

  const bool bothZero = start == 0 && stop == 0;
  if ((bothZero && fields.remoteAccess) || (!bothZero && start >= stop)) {
    return refuse("Incorrect start and/or stop time", kSetupError);
  }
  if (!fields.remoteAccess && fields.localEggFile.empty()) {
    return refuse("Specify egg file name for local access", kSetupError);
  }

  fields.bytesReceived = 0;
  view_.PushStatus();
  progress_ = 0;
  progressTimer_.start();
  job_->analysis = true;
  job_->request = ResultRequestOf(fields, config, resolution_);
  job.StartAnalysis(batchMode_, fields.dataName, fields.startTime, fields.stopTime);
  // Only a request that starts is remembered.
  if (fields.dft) WriteDftSize(store_, fields.dftSize);
  if (!batchMode_) WriteRequestSettings(store_, fields);
  view_.SetWaitCursor(true);
  runInProgress_ = true;
  if (batchMode_) startNewLog_ = false;
  return true;
}

bool AnalysisDialog::Display() {
  if (RefuseWhileBusy()) return false;
  if (!view_.PullFields()) return false;
  if (fields.dataName.empty()) {
    view_.ShowMessage("Data name not specified", std::nullopt, MessageKind::kWarning);
    return false;
  }
  Refusal refusal = DataNameError(fields.dataName);
  if (!refusal) refusal = CheckDisplayVariable(fields.displayVariable);
  if (refusal) {
    view_.ShowMessage(*refusal, kSetupError, MessageKind::kWarning);
    return false;
  }
  const DisplayVariable& variable = DisplayVariableAt(fields.displayVariable);
  if (startNewLog_) StartLogIn(config.tempDirectory, LogName());
  job_ = MakeJob();
  view_.BusyChanged();
  if (!job_) {
    view_.ShowMessage("EggStatistics thread not initialized", std::nullopt, MessageKind::kCritical);
    return false;
  }
  {
    JobCallGuard guard(*this);
    CEggStatistics& job = *job_->job;
    job.SetLocalEggFile("");
    job.SetRootDirectory(fields.outputRoot);
    job.SetRemoteAccess(false, false);
    job.SetGnuplotPath(config.gnuplotPath);
    job.SetPlotPictures(config.plotPictures);
    job.SetPlotWindows(&plotWindows_);
    job.StartDisplay(fields.dataName, variable.code, variable.title);
  }
  view_.PushFields();
  if (jobEndPending_) HandleJobEnd();
  return true;
}

}  // namespace corvane
