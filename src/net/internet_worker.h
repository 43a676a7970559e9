// CInternet: the worker that performs one download on a thread of its own,
// so that neither the form nor the job blocks on the network.
//
// Life of a worker (one request only): the job makes it with its owner link
// and a generation number, sets its logging and options, starts it
// (priority below normal, name "m_internet") and waits for it to become
// ready; then hands it the request with GetInternetData. The body looks for
// the request every few milliseconds (kRequestPoll), so a download starts
// at once, runs httpGetFile, and reports through the owner's
// ExitInternetThread as its last act. A stop (Stop, or the owner's
// cancellation) ends the wait loop at once and a download in progress after
// the block in progress; the report then says cancelled.
//
// Thread rules: the configuration calls (SetLogging, SetOptions) come before
// Start or from the owner's thread; GetInternetData and RequestAbort from the
// owner's thread; Reading, LastDataTime and BytesReceived may be read at any
// time. Only the worker touches its connection and its file. Release a worker
// with WorkerThread::Dispose.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "core/worker_thread.h"
#include "net/http_get_file.h"
#include "net/internet_owner.h"
#include "net/network_log.h"

namespace corvane {

class CInternet : public WorkerThread {
 public:
  static constexpr const char* kThreadName = "m_internet";
  static constexpr std::chrono::milliseconds kRequestPoll{5};

  CInternet(std::shared_ptr<InternetOwnerLink> owner, std::uint64_t generation);
  ~CInternet() override;

  // The worker's network log; when enabled, startFresh set and the path not
  // empty, the log is truncated to one empty line.
  void SetLogging(bool enabled, bool startFresh, const std::string& path);
  // Connect time-out, redirect and size limits and the clock of the
  // last-data time (the log and the callbacks of the options are the
  // worker's own).
  void SetOptions(const HttpGetOptions& options);

  // Waits for the ready event at most ReadyTimeout(); logs the outcome.
  bool WaitForThreadReady();

  // Hands over the request; the body picks it up at one of its polls.
  void GetInternetData(const std::string& url, const std::string& file, int segmentIndex);

  // Ends the download after the block in progress.
  void RequestAbort() { transfer_.abortRequest.store(true); }

  bool Reading() const { return transfer_.reading.load(); }
  std::int64_t LastDataTime() const { return transfer_.lastDataTime.load(); }
  std::int64_t BytesReceived() const { return transfer_.bytesReceived.load(); }

 protected:
  void Run() override { Execute(); }

 private:
  void Execute();
  void Log(const std::string& text) const;
  // The worker's last act: its result to the owner.
  void Report(int code, const std::string& text, bool cancelled);

  const std::shared_ptr<InternetOwnerLink> owner_;
  const std::uint64_t generation_;
  HttpTransfer transfer_;

  mutable std::mutex mutex_;
  NetworkLog log_;
  HttpGetOptions options_;
  std::string url_;
  std::string file_;
  int segment_index_ = 0;
  std::atomic<bool> request_pending_{false};
};

}  // namespace corvane
