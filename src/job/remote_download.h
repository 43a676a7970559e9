// RemoteDownload: the remote input of a run (see remote_input.h). It asks
// the data server for the run's day segments one after another, each through
// a fresh internet worker (CInternet), turns every finished download into
// the segment's input file (FinishSegmentDownload) and, once all segments
// are in, sets the job's input_complete.
//
// Supervision, on every tick of the job:
//  - a worker that has reported is waited for (at most 15000 ms) and
//    released; a failed download is retried: "Initiating retry number %d
//    after connection error";
//  - a worker that has been reading without receiving anything for longer
//    than the stall time-out (30 s on the job's clock) is stopped and the
//    same segment requested again: "Initiating retry number %d";
//  - the tenth failed download of the run ends it: "Aborted during internet
//    read after max retries", reported as a run error with the last error.
// A worker that cannot be started, or does not become ready, counts as a
// failed download like any other.
//
// Every worker gets a generation number and its report carries it: only the
// report of the current worker counts. A worker stopped for a stall, whether
// it reports early or late, is never taken for its successor, and nothing it
// left behind reaches the next download. Release detaches the job from all
// its workers before it stops the current one.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "job/remote_input.h"
#include "net/internet_owner.h"
#include "net/internet_worker.h"

namespace corvane {

class RemoteDownload : public RemoteInput, public InternetOwner {
 public:
  static constexpr int kRetryLimit = 10;
  static constexpr std::int64_t kStallSeconds = 30;
  static constexpr std::chrono::milliseconds kWorkerEndWait{15000};

  // Makes the worker of each download; tests may hand in their own.
  using WorkerFactory =
      std::function<std::unique_ptr<CInternet>(std::shared_ptr<InternetOwnerLink>, std::uint64_t)>;

  explicit RemoteDownload(JobState& job, WorkerFactory factory = nullptr);
  ~RemoteDownload() override;

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
  void FinishDownload(const InternetReport& report);
  void Retry();
  // Stops the current worker and forgets everything it reported or may
  // still report.
  void DropWorker();
  void ReleaseWorker(std::chrono::milliseconds stopWait);

  JobState& job_;
  const WorkerFactory factory_;
  const std::shared_ptr<InternetOwnerLink> link_;
  const bool log_enabled_;

  // The job's side: used under the job's run lock only (Start, OnTick,
  // Release).
  std::unique_ptr<CInternet> worker_;
  std::uint64_t last_generation_ = 0;
  int next_segment_ = 0;
  int retry_count_ = 0;
  bool retry_pending_ = false;
  bool fresh_log_;
  std::string last_error_;

  // What the workers hand over.
  std::mutex report_mutex_;
  std::uint64_t current_generation_ = 0;  // 0: no worker's report is awaited
  std::optional<InternetReport> report_;
  std::atomic<bool> download_finished_{false};
  std::atomic<bool> stop_requested_{false};
};

}  // namespace corvane
