#include "job/remote_download.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <utility>

#include "core/c_format.h"
#include "core/progress_log.h"
#include "job/job_state.h"
#include "net/internet_result.h"
#include "net/remote_file_names.h"
#include "net/request_url.h"
#include "net/segment_download.h"

namespace corvane {

std::unique_ptr<RemoteInput> MakeRemoteInput(JobState& job) {
  return std::make_unique<RemoteDownload>(job);
}

RemoteDownload::RemoteDownload(JobState& job, WorkerFactory factory)
    : job_(job),
      factory_(std::move(factory)),
      link_(std::make_shared<InternetOwnerLink>(this)),
      log_enabled_(LogProgress()),
      download_limit_(kMaxDownloadBytes),
      fresh_log_(job.context.settings.freshNetworkLog) {}

RemoteDownload::~RemoteDownload() { Release(); }

std::int64_t RemoteDownload::RetryDelaySeconds(int failures) {
  if (failures < 1) return 0;
  // Doubling stops well before the shift could overflow.
  if (failures > 6) return kMaxRetryDelaySeconds;
  return std::min<std::int64_t>(std::int64_t{1} << (failures - 1), kMaxRetryDelaySeconds);
}

void RemoteDownload::Start() {
  next_segment_ = 0;
  retry_count_ = 0;
  retry_pending_ = false;
  retry_waiting_ = false;
  job_.context.SetInputFraction(0.0);
  RequestSegmentData();
}

void RemoteDownload::RequestStop() { stop_requested_.store(true); }

bool RemoteDownload::DownloadsCancelled() const {
  return stop_requested_.load() || job_.context.Aborted();
}

void RemoteDownload::PostBytesReceived(std::int64_t count) {
  job_.context.PostBytesReceived(count);
}

void RemoteDownload::ExitInternetThread(const InternetReport& report) {
  bool current = false;
  {
    std::lock_guard<std::mutex> lock(report_mutex_);
    current = report.generation == current_generation_;
    if (current) {
      current_generation_ = 0;
      report_ = report;
    }
  }
  job_.context.LogLine("ExitInternetThread");
  if (!current) {
    // A worker stopped for a stall (or whose run moved on) ends late.
    job_.context.LogLine("Report of a stopped internet thread ignored");
    return;
  }
  if (!job_.context.Aborted() && report.resultCode != kInternetSuccess) {
    job_.context.LogLine("Internet error");
    job_.context.LogLine(report.resultText);
  }
  // Published after the lines above, so that the tick's lines follow them.
  download_finished_.store(true);
  // The job takes the report at once rather than at its next period.
  job_.thread.PostTick();
}

void RemoteDownload::OnTick() {
  if (download_finished_.exchange(false)) {
    TakeReport();
  } else if (retry_waiting_) {
    if (job_.now_seconds() >= retry_at_) {
      retry_waiting_ = false;
      RequestSegmentData();
    }
  } else if (worker_ != nullptr && worker_->Reading()) {
    WatchTransfer();
  }
}

void RemoteDownload::TakeReport() {
  std::optional<InternetReport> report;
  {
    std::lock_guard<std::mutex> lock(report_mutex_);
    report = std::move(report_);
    report_.reset();
  }
  // A worker's report is its last act: its thread ends right after it.
  bool ended = worker_ == nullptr || worker_->DoneEvent().Wait(kWorkerEndWait);
  if (!ended) job_.context.ShowMessage("Timed out waiting for internet thread handle");
  ReleaseWorker(ended ? WorkerThread::kDefaultWait : std::chrono::milliseconds(0));
  if (!report) return;
  if (report->resultCode == kInternetSuccess && !report->cancelled) {
    last_error_.clear();
    FinishDownload(*report);
    return;
  }
  RemoveDownload();
  if (!report->cancelled && IsLocalDownloadFailure(report->resultCode)) {
    FailLocally(*report);
    return;
  }
  last_error_ = report->resultText.empty() ? "Download stopped" : report->resultText;
  ++retry_count_;
  job_.context.LogLine(CFormat("Initiating retry number %d after connection error", retry_count_));
  Retry();
}

void RemoteDownload::WatchTransfer() {
  const std::optional<std::string> stall =
      watch_.Check(job_.now_seconds(), worker_->LastDataTime(), worker_->BytesReceived());
  if (!stall) return;
  last_error_ = *stall;
  ++retry_count_;
  job_.context.LogLine(*stall);
  job_.context.LogLine(CFormat("Initiating retry number %d", retry_count_));
  DropWorker();
  RemoveDownload();
  Retry();
}

void RemoteDownload::FinishDownload(const InternetReport& report) {
  const int index = report.segmentIndex;
  const int count = static_cast<int>(job_.segments.size());
  if (index < 0 || index >= count) return;
  const AnalysisSettings& settings = job_.context.settings;
  const DaySegment& segment = job_.segments[static_cast<size_t>(index)];
  const std::string download = DownloadFileName(settings.tempDirectory);
  const std::string staged = StagedDownloadFileName(settings.tempDirectory, index);
  if (std::rename(download.c_str(), staged.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    RemoveDownload();
    job_.context.RunError(CFormat("Could not rename the data received for %s to %s: %s",
                                  SegmentDateText(segment).c_str(), staged.c_str(),
                                  reason.c_str()));
    job_.context.Abort();
    return;
  }
  staged_ = staged;
  next_segment_ = index + 1;
  // The next day downloads while this one is inflated.
  if (next_segment_ < count) RequestSegmentData();
  std::shared_ptr<const ParsedEggFile> parsed =
      FinishSegmentDownload(job_.context, index, segment, job_.segment_files, staged);
  staged_.clear();
  if (parsed == nullptr) return;  // reported, or stopped; the abort flag ends the run
  if (job_.parsed_inputs.size() < static_cast<size_t>(count)) {
    job_.parsed_inputs.resize(static_cast<size_t>(count));
  }
  job_.parsed_inputs[static_cast<size_t>(index)] = std::move(parsed);
  job_.context.NameInput(index, "data received for " + SegmentDateText(segment));
  job_.input_file_count = index + 1;
  job_.context.SetInputFraction(static_cast<double>(index + 1) / count);
  if (next_segment_ >= count) {
    RequestSegmentData();  // nothing left: the input is complete
  } else if (worker_ != nullptr) {
    job_.context.PostStatus(status_);  // the inflation showed its own status
  }
}

void RemoteDownload::FailLocally(const InternetReport& report) {
  const int index = report.segmentIndex;
  const AnalysisSettings& settings = job_.context.settings;
  std::string message;
  if (const int cause = FileErrorCause(report.resultCode); cause != 0) {
    message = CFormat("Could not save the data for %s to %s: %s",
                      SegmentDateText(job_.segments[static_cast<size_t>(index)]).c_str(),
                      DownloadFileName(settings.tempDirectory).c_str(), std::strerror(cause));
  } else {
    const std::int64_t mib = std::int64_t{1} << 20;
    message = CFormat(
        "The answer for %s is larger than the download limit of %s", DayAndBase(index).c_str(),
        download_limit_ % mib == 0
            ? CFormat("%lld MiB", static_cast<long long>(download_limit_ / mib)).c_str()
            : CFormat("%lld bytes", static_cast<long long>(download_limit_)).c_str());
  }
  job_.context.LogLine(message);
  job_.context.RunError(message);
  job_.context.Abort();
}

void RemoteDownload::Retry() {
  if (retry_count_ == kRetryLimit) {
    job_.context.LogLine("Aborted during internet read after max retries");
    job_.context.RunError(CFormat("Aborted during internet read after max retries (%s for %s)",
                                  last_error_.c_str(), DayAndBase(next_segment_).c_str()));
    job_.context.Abort();
    return;
  }
  retry_pending_ = true;
  const std::int64_t delay = RetryDelaySeconds(retry_count_);
  retry_at_ = job_.now_seconds() + delay;
  retry_waiting_ = true;
  job_.context.LogLine(CFormat("Waiting %lld seconds before retry number %d",
                               static_cast<long long>(delay), retry_count_));
  job_.context.PostStatus(CFormat("%s (%s; retry %d in %lld s)", status_.c_str(),
                                  last_error_.c_str(), retry_count_,
                                  static_cast<long long>(delay)));
}

void RemoteDownload::RequestSegmentData() {
  const int count = static_cast<int>(job_.segments.size());
  if ((job_.context.Aborted() || next_segment_ >= count) && !retry_pending_) {
    job_.input_complete.store(true, std::memory_order_release);
    return;
  }
  const int index = next_segment_;
  const SegmentRequest request =
      BuildSegmentRequest(job_.context.settings, job_.segments[static_cast<size_t>(index)]);
  status_ = request.statusText + CFormat(": day %d of %d", index + 1, count);
  job_.context.PostStatus(status_);
  job_.context.LogLine(request.logText);
  job_.context.LogLine(request.url);
  const std::string file = DownloadFileName(job_.context.settings.tempDirectory);
  retry_pending_ = false;
  if (!StartInternetThread()) return;
  last_error_.clear();
  watch_.Start(job_.now_seconds());
  worker_->GetInternetData(request.url, file, index);
}

bool RemoteDownload::StartInternetThread() {
  const AnalysisSettings& settings = job_.context.settings;
  const std::uint64_t generation = ++last_generation_;
  {
    std::lock_guard<std::mutex> lock(report_mutex_);
    current_generation_ = generation;
    report_.reset();
  }
  download_finished_.store(false);
  try {
    worker_ =
        factory_ ? factory_(link_, generation) : std::make_unique<CInternet>(link_, generation);
    if (worker_ == nullptr) throw std::bad_alloc();
    // Only the first worker of a run starts a fresh network log.
    worker_->SetLogging(log_enabled_, fresh_log_,
                        settings.networkLogPath.empty() ? settings.tempDirectory + "eggnet.log"
                                                        : settings.networkLogPath);
    fresh_log_ = false;
    HttpGetOptions options;
    options.clock = job_.now_seconds;
    options.maxBodyBytes = download_limit_;
    worker_->SetOptions(options);
  } catch (const std::exception&) {
    worker_.reset();
    job_.context.LogLine("Failed to start internet thread");
    FailWithoutWorker("Failed to start internet thread");
    return false;
  }
  if (worker_->Start(WorkerThread::kStartAtOnce, ThreadPriority::kBelowNormal,
                     CInternet::kThreadName) == 0) {
    job_.context.LogLine("Failed to start internet thread");
    ReleaseWorker(WorkerThread::kDefaultWait);
    FailWithoutWorker("Failed to start internet thread");
    return false;
  }
  if (!worker_->WaitForThreadReady()) {
    job_.context.LogLine("Internet thread not ready");
    DropWorker();
    FailWithoutWorker("Internet thread not ready");
    return false;
  }
  job_.context.LogLine("Internet thread created and ready");
  return true;
}

void RemoteDownload::FailWithoutWorker(const std::string& text) {
  InternetReport report;
  report.generation = last_generation_;
  report.segmentIndex = next_segment_;
  report.resultCode = kInternetConnectionFailed;
  report.resultText = text;
  {
    std::lock_guard<std::mutex> lock(report_mutex_);
    current_generation_ = 0;
    report_ = report;
  }
  // The next tick counts it as a failed download.
  download_finished_.store(true);
}

void RemoteDownload::DropWorker() {
  {
    std::lock_guard<std::mutex> lock(report_mutex_);
    current_generation_ = 0;
  }
  if (worker_ != nullptr) worker_->RequestAbort();
  ReleaseWorker(WorkerThread::kDefaultWait);
  std::lock_guard<std::mutex> lock(report_mutex_);
  report_.reset();
  download_finished_.store(false);
}

void RemoteDownload::ReleaseWorker(std::chrono::milliseconds stopWait) {
  if (worker_ == nullptr) return;
  worker_->SetStopTimeout(stopWait);
  WorkerThread::Dispose(std::move(worker_));
}

void RemoteDownload::RemoveDownload() const {
  std::remove(DownloadFileName(job_.context.settings.tempDirectory).c_str());
}

std::string RemoteDownload::DayAndBase(int index) const {
  const AnalysisSettings& settings = job_.context.settings;
  const std::string day = index >= 0 && static_cast<size_t>(index) < job_.segments.size()
                              ? SegmentDateText(job_.segments[static_cast<size_t>(index)])
                              : std::string("the run");
  return day + " from " + (settings.pseudoEggData ? settings.pseudoDataUrl : settings.dataUrl);
}

void RemoteDownload::Release() {
  link_->Detach();
  DropWorker();
  // Whatever a stopped download or a failed run left in the temporary
  // directory is of no use to anyone.
  RemoveDownload();
  if (!staged_.empty()) std::remove(staged_.c_str());
  staged_.clear();
}

}  // namespace corvane
