// RemoteDownload: the remote input of a run (see remote_input.h). It asks
// the data server for the run's day segments one after another, each through
// a fresh internet worker (CInternet), turns every finished download into
// the segment's parsed input (FinishSegmentDownload, into the job's
// parsed_inputs) and, once all segments are in, sets the job's
// input_complete. A finished download is handed over under a name of its
// own and the next segment is requested before the finished one is inflated
// and parsed, so the two overlap; requests still go out one at a time, in
// date order.
//
// Status: "Getting data from internet: day i of n" (or "... pseudo egg
// data ...") for each request; the run context's input fraction is the
// share of days in.
//
// Supervision, on every tick of the job:
//  - a worker that has reported is waited for (at most 15000 ms) and
//    released; a failed download is retried: "Initiating retry number %d
//    after connection error";
//  - a worker whose transfer stalls (TransferWatch: nothing for more than
//    30 s, or under 60 KiB in 60 s, on the job's clock) is stopped and the
//    same segment requested again: "Initiating retry number %d";
//  - a retry waits RetryDelaySeconds (1, 2, 4, ... at most 30 s, on the job's
//    clock) before its request: "Waiting %d seconds before retry number %d";
//  - the tenth failed download of the run ends it: "Aborted during internet
//    read after max retries", reported as a run error with the last error,
//    the day and the URL base;
//  - a download that could not be written (a file error: disk full, ...) or
//    whose answer exceeds the download limit ends the run at once, naming
//    the day, the file or URL base, and the reason; it is not retried.
// A worker that cannot be started, or does not become ready, counts as a
// failed download like any other. Every failed, stopped or refused download
// is deleted. A day's text is never written to the temporary directory: it
// is parsed as it is inflated, and only a day the run keeps is written.
//
// Every worker gets a generation number and its report carries it: only the
// report of the current worker counts. A worker stopped for a stall, whether
// it reports early or late, is never taken for its successor, and nothing it
// left behind reaches the next download. Release detaches the job from all
// its workers before it stops the current one.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "job/remote_input.h"
#include "net/internet_owner.h"
#include "net/internet_worker.h"
#include "net/transfer_watch.h"

namespace corvane {

class RemoteDownload : public RemoteInput, public InternetOwner {
 public:
  static constexpr int kRetryLimit = 10;
  static constexpr std::int64_t kMaxRetryDelaySeconds = 30;
  static constexpr std::chrono::milliseconds kWorkerEndWait{15000};

  // Makes the worker of each download; tests may hand in their own.
  using WorkerFactory =
      std::function<std::unique_ptr<CInternet>(std::shared_ptr<InternetOwnerLink>, std::uint64_t)>;

  explicit RemoteDownload(JobState& job, WorkerFactory factory = nullptr);
  ~RemoteDownload() override;

  // The wait before the retry that follows the given number of failures:
  // 1 s after the first, doubling, at most kMaxRetryDelaySeconds.
  static std::int64_t RetryDelaySeconds(int failures);

  // The largest answer a download accepts (kMaxDownloadBytes unless a test
  // sets a smaller one); before Start.
  void SetDownloadLimit(std::int64_t bytes) { download_limit_ = bytes; }

  // RemoteInput.
  void Start() override;
  void OnTick() override;
  void RequestStop() override;
  void Release() override;

  // InternetOwner, called by the workers on their own threads.
  void ExitInternetThread(const InternetReport& report) override;
  void PostBytesReceived(std::int64_t count) override;
  bool DownloadsCancelled() const override;

 private:
  void RequestSegmentData();
  bool StartInternetThread();
  // A download that failed before a worker could report it.
  void FailWithoutWorker(const std::string& text);
  void TakeReport();
  void WatchTransfer();
  void FinishDownload(const InternetReport& report);
  // Ends the run for a download that no retry can mend.
  void FailLocally(const InternetReport& report);
  void Retry();
  // Stops the current worker and forgets everything it reported or may
  // still report.
  void DropWorker();
  void ReleaseWorker(std::chrono::milliseconds stopWait);
  void RemoveDownload() const;
  // "2011-05-03 from <URL base>": what failure messages name.
  std::string DayAndBase(int index) const;

  JobState& job_;
  const WorkerFactory factory_;
  const std::shared_ptr<InternetOwnerLink> link_;
  const bool log_enabled_;
  std::int64_t download_limit_;

  // The job's side: used under the job's run lock only (Start, OnTick,
  // Release).
  std::unique_ptr<CInternet> worker_;
  std::uint64_t last_generation_ = 0;
  int next_segment_ = 0;
  int retry_count_ = 0;
  bool retry_pending_ = false;
  bool retry_waiting_ = false;  // a retry waits until retry_at_
  std::int64_t retry_at_ = 0;
  bool fresh_log_;
  std::string last_error_;
  std::string status_;  // the status of the request in progress
  std::string staged_;  // a finished download being inflated or moved
  TransferWatch watch_;

  // What the workers hand over.
  std::mutex report_mutex_;
  std::uint64_t current_generation_ = 0;  // 0: no worker's report is awaited
  std::optional<InternetReport> report_;
  std::atomic<bool> download_finished_{false};
  std::atomic<bool> stop_requested_{false};
};

}  // namespace corvane
