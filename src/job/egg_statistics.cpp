#include "job/egg_statistics.h"

#include "core/date_time.h"
#include "core/paths.h"
#include "input/egg_group_file.h"
#include "job/job_state.h"

namespace corvane {

CEggStatistics::CEggStatistics(FormLink* link, MessageReporter* reporter)
    : state_(std::make_unique<JobState>(link, reporter)) {}

CEggStatistics::~CEggStatistics() {
  // A job still working is stopped and its thread waited for; a job that
  // never reached its Cleanup (never started, refused by the form, destroyed
  // early) ends here, so that it too reports its end exactly once.
  state_->RequestStop();
  state_->thread.Quit();
  state_->thread.Join();
  std::lock_guard<std::mutex> lock(state_->run_mutex);
  state_->Cleanup();
}

bool CEggStatistics::StartThread() {
  JobState* state = state_.get();
  return state->thread.Start([state] { state->Tick(); });
}

bool CEggStatistics::SetTempDirectory(const std::string& directory, bool freshNetworkLog) {
  AnalysisSettings& settings = state_->context.settings;
  settings.tempDirectory = WithSeparator(directory);
  settings.freshNetworkLog = freshNetworkLog;
  return !settings.tempDirectory.empty() && IsWritableDirectory(settings.tempDirectory);
}

bool CEggStatistics::SetRemoteSaveDirectory(bool saveRemoteInput, const std::string& directory,
                                            bool saveCompressed) {
  AnalysisSettings& settings = state_->context.settings;
  settings.saveRemoteInput = saveRemoteInput;
  settings.remoteSaveDirectory = WithSeparator(directory);
  settings.saveCompressed = saveCompressed;
  return settings.remoteSaveDirectory.empty() || IsWritableDirectory(settings.remoteSaveDirectory);
}

void CEggStatistics::SetDataUrls(const std::string& dataUrl, const std::string& pseudoDataUrl) {
  state_->context.settings.dataUrl = dataUrl;
  state_->context.settings.pseudoDataUrl = pseudoDataUrl;
}

void CEggStatistics::SetLocalEggFile(const std::string& path) {
  state_->context.settings.localEggFile = path;
}

void CEggStatistics::ReadEggGroupFile(const std::string& path) {
  EggSubgroup subgroup = corvane::ReadEggGroupFile(path);
  state_->context.settings.eggSubgroup = std::move(subgroup.ids);
  state_->context.settings.eggSubgroupError = subgroup.error.value_or("");
}

void CEggStatistics::SetResolution(int recordsPerSample) {
  state_->context.settings.resolution = recordsPerSample;
}

void CEggStatistics::SetSmoothing(int mode, int windowSize, double coefficient) {
  AnalysisSettings& settings = state_->context.settings;
  settings.smoothingMode = static_cast<SmoothingMode>(mode);
  settings.smoothingWindow = windowSize;
  settings.expCoefficient = coefficient;
}

void CEggStatistics::SetRootDirectory(const std::string& directory) {
  state_->context.settings.rootDirectory = WithSeparator(directory);
}

void CEggStatistics::SetRemoteAccess(bool remote, bool pseudoEggData) {
  state_->context.settings.remoteAccess = remote;
  state_->context.settings.pseudoEggData = pseudoEggData;
}

void CEggStatistics::SetAudio(bool on, const AudioSettings& settings) {
  state_->context.settings.audio = on;
  state_->context.settings.audioSettings = settings;
}

void CEggStatistics::SetDft(bool on, int size) {
  state_->context.settings.dft = on;
  state_->context.settings.dftSize = size;
}

void CEggStatistics::SetCompareIntervals(bool on) {
  state_->context.settings.compareIntervals = on;
}

void CEggStatistics::SetGnuplotPath(const std::string& path) {
  state_->context.settings.gnuplotPath = path;
}

void CEggStatistics::SetPlotPictures(PictureFormat format) {
  state_->context.settings.plotPictures = format;
}

void CEggStatistics::SetPlotWindows(PlotWindows* windows) { state_->context.plotWindows = windows; }

void CEggStatistics::SetIntervals(int interval1Start, int interval2Start, int duration) {
  AnalysisSettings& settings = state_->context.settings;
  settings.interval1Start = interval1Start;
  settings.interval2Start = interval2Start;
  settings.intervalDuration = duration;
}

void CEggStatistics::SetEchoMethod(int method) { state_->context.settings.echoMethod = method; }

void CEggStatistics::SetInputCache(std::shared_ptr<ParsedFileCache> cache) {
  state_->input_cache = std::move(cache);
}

std::int64_t CEggStatistics::SetEventTime(const std::string& text, int durationSeconds,
                                          int echoVariable) {
  const std::int64_t seconds = text.empty() ? 0 : SecondsFromText(text);
  AnalysisSettings& settings = state_->context.settings;
  settings.eventTimeText = text;
  settings.eventTime = seconds;
  settings.eventDuration = durationSeconds;
  settings.eventEchoVariable = echoVariable;
  return seconds;
}

std::int64_t CEggStatistics::SetStartTime(const std::string& text) {
  AnalysisSettings& settings = state_->context.settings;
  if (!text.empty()) settings.startTime = SecondsFromText(text);
  settings.startText = text;
  return settings.startTime;
}

std::int64_t CEggStatistics::SetStopTime(const std::string& text) {
  AnalysisSettings& settings = state_->context.settings;
  if (!text.empty()) settings.stopTime = SecondsFromText(text);
  settings.stopText = text;
  return settings.stopTime;
}

void CEggStatistics::StartAnalysis(bool batch, const std::string& dataName,
                                   const std::string& startText, const std::string& stopText) {
  state_->StartAnalysis(batch, dataName, startText, stopText);
}

void CEggStatistics::StartDisplay(const std::string& dataName, int displayCode,
                                  const std::string& title) {
  state_->StartDisplay(dataName, displayCode, title);
}

void CEggStatistics::StopAnalysis() { state_->RequestStop(); }

int CEggStatistics::JobStage() const { return state_->context.JobStage(); }

void CEggStatistics::OnJobTimer() { state_->Tick(); }

bool CEggStatistics::Ended() const { return state_->ended.load(); }

void CEggStatistics::SetClock(std::function<std::int64_t()> nowSeconds) {
  state_->now_seconds = std::move(nowSeconds);
}

RunContext& CEggStatistics::context() { return state_->context; }
const RunContext& CEggStatistics::context() const { return state_->context; }

}  // namespace corvane
