#include "job/remote_download.h"

#include <exception>
#include <new>
#include <utility>

#include "core/c_format.h"
#include "core/progress_log.h"
#include "job/job_state.h"
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
      fresh_log_(job.context.settings.freshNetworkLog) {}

RemoteDownload::~RemoteDownload() { Release(); }

void RemoteDownload::Start() {
  next_segment_ = 0;
  retry_count_ = 0;
  retry_pending_ = false;
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
    if (report->resultCode != kInternetSuccess || report->cancelled) {
      last_error_ = report->resultText.empty() ? "Download stopped" : report->resultText;
      ++retry_count_;
      job_.context.LogLine(
          CFormat("Initiating retry number %d after connection error", retry_count_));
      Retry();
      return;
    }
    last_error_.clear();
    FinishDownload(*report);
    return;
  }
  if (worker_ != nullptr && worker_->Reading() &&
      job_.now_seconds() - worker_->LastDataTime() > kStallSeconds) {
    last_error_ = "No data received for more than 30 seconds";
    ++retry_count_;
    job_.context.LogLine(CFormat("Initiating retry number %d", retry_count_));
    DropWorker();
    Retry();
  }
}

void RemoteDownload::FinishDownload(const InternetReport& report) {
  const int index = report.segmentIndex;
  if (index < 0 || static_cast<size_t>(index) >= job_.segments.size()) return;
  if (!FinishSegmentDownload(job_.context, index, job_.segments[static_cast<size_t>(index)],
                             job_.segment_files)) {
    return;  // reported; the abort flag ends the run
  }
  job_.input_file_count = index + 1;
  next_segment_ = index + 1;
  RequestSegmentData();
}

void RemoteDownload::Retry() {
  if (retry_count_ == kRetryLimit) {
    job_.context.LogLine("Aborted during internet read after max retries");
    job_.context.RunError(
        CFormat("Aborted during internet read after max retries (%s)", last_error_.c_str()));
    job_.context.Abort();
  }
  retry_pending_ = true;
  if (!job_.context.Aborted()) RequestSegmentData();
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
  job_.context.PostStatus(request.statusText);
  job_.context.LogLine(request.logText);
  job_.context.LogLine(request.url);
  const std::string file = DownloadFileName(job_.context.settings.tempDirectory);
  retry_pending_ = false;
  if (!StartInternetThread()) return;
  last_error_.clear();
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
    worker_->SetLogging(log_enabled_, fresh_log_, settings.tempDirectory + "eggnet.log");
    fresh_log_ = false;
    HttpGetOptions options;
    options.clock = job_.now_seconds;
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

void RemoteDownload::Release() {
  link_->Detach();
  DropWorker();
}

}  // namespace corvane
