#include "app/analysis_dialog.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include <QEventLoop>

#include "app/batch_file.h"
#include "app/file_choosers.h"
#include "app/persisted_settings.h"
#include "app/request_checks.h"
#include "app/request_values.h"
#include "app/time_completion.h"
#include "audio/audio_settings_check.h"
#include "core/c_format.h"
#include "core/data_name.h"
#include "core/output_file.h"
#include "core/paths.h"
#include "core/progress_log.h"
#include "job/egg_statistics.h"
#include "stats/dft_files.h"
#include "stats/interval_comparison.h"
#include "stats/smoothing_settings.h"

namespace corvane {

const char* const AnalysisDialog::kRunInProgress =
    "A run is in progress. Wait for it to end, or press Stop.";

namespace {

const char* const kSetupError = "Setup error";

// A batch item's message as the line "name: text" of the output root's
// summary table; false when there is no root or the line cannot be written.
bool AppendToSummary(const std::string& outputRoot, const std::string& dataName,
                     const std::string& text) {
  return !outputRoot.empty() &&
         AppendTextLine(WithSeparator(outputRoot) + "summary.tst", dataName + ": " + text);
}

}  // namespace

void StartLogIn(const std::string& tempDirectory) {
  SetLogPath(tempDirectory.empty() ? std::string() : WithSeparator(tempDirectory) + "egg.log");
  StartLog();
}

// One job of the form with the channel it reports through.
struct AnalysisDialog::OwnedJob {
  int id = 0;
  std::unique_ptr<JobChannel> channel;
  std::unique_ptr<CEggStatistics> job;
  bool analysis = false;  // started by StartAnalysis: its end continues a batch
  bool ended = false;     // its end-of-run report has arrived
  std::string dataName;   // for the summary table in batch mode
  std::string outputRoot;

  ~OwnedJob() {
    if (channel) channel->Abandon();
    job.reset();  // stops a job still working and joins its thread
  }
};

class AnalysisDialog::JobCallGuard {
 public:
  explicit JobCallGuard(AnalysisDialog& form) : form_(form) { ++form_.jobCallDepth_; }
  ~JobCallGuard() { --form_.jobCallDepth_; }
  JobCallGuard(const JobCallGuard&) = delete;
  JobCallGuard& operator=(const JobCallGuard&) = delete;

 private:
  AnalysisDialog& form_;
};

AnalysisDialog::AnalysisDialog(SettingsStore& store, FormView& view)
    : config(DefaultFormConfig()), store_(store), view_(view) {
  ReadAllSettings(store_, fields, config);
  progressTimer_.setInterval(10);
  QObject::connect(&progressTimer_, &QTimer::timeout, &context_, [this] { OnProgressTimer(); });
}

AnalysisDialog::~AnalysisDialog() {
  progressTimer_.stop();
  if (job_) job_->job->StopAnalysis();
  job_.reset();
}

const CEggStatistics* AnalysisDialog::CurrentJob() const {
  return job_ ? job_->job.get() : nullptr;
}

bool AnalysisDialog::RefuseWhileBusy() {
  if (!job_) return false;
  view_.ShowMessage(kRunInProgress, std::nullopt);
  return true;
}

void AnalysisDialog::Refuse(const std::string& text, const std::optional<std::string>& caption) {
  if (batchMode_ && AppendToSummary(fields.outputRoot, fields.dataName, text)) return;
  view_.ShowMessage(text, caption);
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
  if (RefuseWhileBusy()) return false;
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
    Refuse("Data directory is unspecified", "");
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
    Refuse("Temp directory is unspecified", "");
    return false;
  }
  if (!CompleteTimes(fields.startTime, fields.stopTime, fields.eventTime)) {
    Refuse("Must have at least a start date", kSetupError);
    view_.PushFields();
    return false;
  }
  if (Refusal r = CheckRequest()) {
    Refuse(*r, kSetupError);
    view_.PushFields();
    return false;
  }
  if (fields.dft) {
    fields.dftSize = ReducedDftSize(fields.dftSize);
    WriteDftSize(store_, fields.dftSize);
  }
  if (!batchMode_) WriteRequestSettings(store_, fields);
  if (startNewLog_) StartLogIn(config.tempDirectory);
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
    Refuse("EggStatistics thread not initialized", std::nullopt);
    return false;
  }
  JobCallGuard guard(*this);
  CEggStatistics& job = *job_->job;

  std::vector<std::pair<std::string, std::optional<std::string>>> refusals;
  if (!job.SetTempDirectory(config.tempDirectory, startNewLog_)) {
    refusals.emplace_back("Please specify an existing temporary directory", kSetupError);
  }
  if (fields.saveRemoteInput && fields.remoteAccess &&
      !job.SetRemoteSaveDirectory(true, config.remoteSaveDirectory, config.saveCompressed)) {
    refusals.emplace_back("Please specify an existing directory for saving remote files",
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

  const bool pseudoEggData = fields.dataName.find("PED") != std::string::npos;
  job.SetDataUrls(config.dataUrl, config.pseudoDataUrl);
  job.SetLocalEggFile(fields.localEggFile);
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
  job.SetIntervals(fields.interval1Start, fields.interval2Start, fields.intervalDuration);
  job.SetEchoMethod(fields.echoMethod);

  std::int64_t start = 0;
  std::int64_t stop = 0;
  const std::string* converting = &fields.eventTime;
  try {
    job.SetEventTime(fields.eventTime, EventDurationSeconds(fields.eventDuration),
                     fields.displayVariable);
    converting = &fields.startTime;
    start = job.SetStartTime(fields.startTime);
    converting = &fields.stopTime;
    stop = job.SetStopTime(fields.stopTime);
  } catch (const std::invalid_argument& error) {
    return refuse(std::string(error.what()) + ": " + *converting, kSetupError);
  }

  const bool bothZero = start == 0 && stop == 0;
  if ((bothZero && fields.remoteAccess) || (!bothZero && start >= stop)) {
    return refuse("Incorrect start and/or stop time", kSetupError);
  }
  if (!fields.remoteAccess && fields.localEggFile.empty()) {
    return refuse("Specify egg file name for local access", kSetupError);
  }

  progress_ = 0;
  progressTimer_.start();
  job_->analysis = true;
  job.StartAnalysis(batchMode_, fields.dataName, fields.startTime, fields.stopTime);
  view_.SetWaitCursor(true);
  runInProgress_ = true;
  if (batchMode_) startNewLog_ = false;
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
  stopRequested_ = true;
}

bool AnalysisDialog::Display() {
  if (RefuseWhileBusy()) return false;
  if (!view_.PullFields()) return false;
  if (fields.dataName.empty()) {
    view_.ShowMessage("Data name not specified", std::nullopt);
    return false;
  }
  Refusal refusal = DataNameError(fields.dataName);
  if (!refusal) refusal = CheckDisplayVariable(fields.displayVariable);
  if (refusal) {
    view_.ShowMessage(*refusal, kSetupError);
    return false;
  }
  const DisplayVariable& variable = DisplayVariableAt(fields.displayVariable);
  if (startNewLog_) StartLogIn(config.tempDirectory);
  job_ = MakeJob();
  view_.BusyChanged();
  if (!job_) {
    view_.ShowMessage("EggStatistics thread not initialized", std::nullopt);
    return false;
  }
  {
    JobCallGuard guard(*this);
    CEggStatistics& job = *job_->job;
    job.SetLocalEggFile("");
    job.SetRootDirectory(fields.outputRoot);
    job.SetRemoteAccess(false, false);
    job.SetGnuplotPath(config.gnuplotPath);
    job.StartDisplay(fields.dataName, variable.code, variable.title);
  }
  view_.PushFields();
  if (jobEndPending_) HandleJobEnd();
  return true;
}

void AnalysisDialog::OnProgressTimer() {
  const ProgressReading reading = ProgressFromStage(job_ ? job_->job->JobStage() : 0);
  if (reading.stop) progressTimer_.stop();
  if (reading.percent != progress_) {
    progress_ = reading.percent;
    view_.SetProgress(progress_);
  }
}

void AnalysisDialog::OnJobStatus(int jobId, const std::string& text) {
  if (!job_ || job_->id != jobId) return;
  fields.status = text;
  view_.PushStatus();
}

void AnalysisDialog::OnJobBytes(int jobId, std::int64_t count) {
  if (!job_ || job_->id != jobId) return;
  fields.bytesReceived = count;
  view_.PushStatus();
}

void AnalysisDialog::OnJobMessage(int jobId, const std::string& text,
                                  const std::optional<std::string>& caption) {
  // In batch mode no message waits for a click.
  if (batchMode_ && job_ && job_->id == jobId &&
      AppendToSummary(job_->outputRoot, job_->dataName, text)) {
    return;
  }
  view_.ShowMessage(text, caption);
}

void AnalysisDialog::OnJobEnded(int jobId) {
  if (!job_ || job_->id != jobId) return;
  job_->ended = true;
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
  if (!analysis || exiting_) return;
  if (batchMode_) {
    ContinueBatch();
  } else {
    view_.ShowMessage("Finished processing", "");
  }
}

void AnalysisDialog::WaitForJobEnd() {
  QEventLoop loop;
  while (job_ && !jobEndPending_) loop.processEvents(QEventLoop::WaitForMoreEvents);
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
  if (job_) {
    Stop();
    // The close may come from within a message box of the job (a desktop
    // logout), whose click cannot return before the close does: the job no
    // longer waits for clicks, and its messages are still shown.
    job_->channel->Abandon();
    WaitForJobEnd();
  }
  if (batchMode_) {
    batchMode_ = false;
    resolution_ = 1;
  }
  exiting_ = false;
}

// --- Batch files ---

void AnalysisDialog::OpenBatchFile() {
  if (RefuseWhileBusy()) return;
  if (!view_.PullFields()) return;
  const std::string path = view_.ChooseFile(kOpenBatchFileTitle, kBatchFileFilter);
  if (path.empty()) return;
  OpenBatchFileAt(path);
}

int AnalysisDialog::OpenBatchFileAt(const std::string& path) {
  if (RefuseWhileBusy()) return -1;
  if (!view_.PullFields()) return -1;
  fields.batchFile = path;
  BatchFile file = ReadBatchFile(path, CaptureBatchItem(fields, config, resolution_));
  for (const std::string& message : file.messages) view_.ShowMessage(message, std::nullopt);
  if (file.opened) {
    LoadBatchItem(file.form, fields, config, resolution_);
    batchItems_ = std::move(file.items);
    batchCount_ = file.count;
    nextBatchIndex_ = 0;
  }
  view_.PushFields();
  if (file.opened && batchCount_ >= 1) LoadItem(0);
  return file.opened ? batchCount_ : -1;
}

void AnalysisDialog::LoadItem(int index) {
  LoadBatchItem(batchItems_.at(static_cast<size_t>(index)), fields, config, resolution_);
  view_.PushFields();
}

void AnalysisDialog::RunBatchFile() {
  if (RefuseWhileBusy()) return;
  if (!view_.PullFields()) return;
  if (batchCount_ <= 0) {
    view_.ShowMessage("There are no batch items to process", std::nullopt);
    return;
  }
  if (startNewLog_) StartLogIn(config.tempDirectory);
  stopRequested_ = false;
  batchMode_ = true;
  nextBatchIndex_ = 0;
  ContinueBatch();
}

// Takes up items until one starts a run (its end comes back here) or the
// batch is over. A refused item has its line in the summary table.
void AnalysisDialog::ContinueBatch() {
  while (batchMode_) {
    if (nextBatchIndex_ >= batchCount_ || stopRequested_) {
      FinishBatch();
      return;
    }
    LoadItem(nextBatchIndex_);
    ++nextBatchIndex_;
    if (AnalyzeData()) return;
  }
}

void AnalysisDialog::FinishBatch() {
  batchMode_ = false;
  resolution_ = 1;
  const int started = nextBatchIndex_;
  const bool stopped = stopRequested_;
  view_.ShowMessage(CFormat("%d items processed in batch mode", started), "");
  view_.BatchFinished(started, stopped);
}

// --- Local files ---

namespace {

std::string ParentOf(const std::string& path) {
  const size_t slash = path.find_last_of(kPathSeparator);
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string LastComponentOf(const std::string& path) {
  const size_t slash = path.find_last_of(kPathSeparator);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Absolute(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.string();
}

}  // namespace

void AnalysisDialog::OpenLocalEggFile() {
  if (!view_.PullFields()) return;
  const std::string path = view_.ChooseFile(kOpenEggFileTitle, kEggFileFilter);
  if (path.empty()) return;
  OpenLocalEggFileAt(path);
}

void AnalysisDialog::OpenLocalEggFileAt(const std::string& path) {
  const std::string file = Absolute(path);
  fields.localEggFile = file;
  fields.dataName = LastComponentOf(ParentOf(file));
  fields.remoteAccess = false;
  view_.PushFields();
}

void AnalysisDialog::DropFiles(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  const std::string file = Absolute(paths.front());
  const std::string folder = ParentOf(file);
  const std::string root = ParentOf(folder);
  const std::string name = LastComponentOf(folder);
  if (name.empty()) {
    fields.localEggFile = file;
  } else {
    fields.outputRoot = root;
    fields.dataName = name;
    fields.localEggFile = root + kPathSeparator + name + kPathSeparator + name + ".dat";
  }
  view_.PushFields();
}

}  // namespace corvane
