// How a download worker reaches the job that started it.
//
// InternetOwner is what the job implements. InternetOwnerLink is shared by
// the job and every worker it starts: a worker calls its owner only through
// the link, and once the job has detached the link (when its run ends) no
// call reaches the job any more, even from a worker that was abandoned and
// reports late. A detached link reads as cancelled, so such a worker stops
// its transfer at once.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

namespace corvane {

// The end of one worker, as its last act.
struct InternetReport {
  std::uint64_t generation = 0;  // the worker's number within its job
  int segmentIndex = 0;
  int resultCode = 0;
  std::string resultText;
  // The transfer was stopped before its end (or never ran): whatever the
  // code, the file is not a complete answer.
  bool cancelled = false;
};

class InternetOwner {
 public:
  virtual ~InternetOwner() = default;
  // Called on the worker's thread; must not detach the link.
  virtual void ExitInternetThread(const InternetReport& report) = 0;
  // The bytes received so far by the download in progress.
  virtual void PostBytesReceived(std::int64_t count) = 0;
  // True when every download of the run should stop (the run's abort flag).
  virtual bool DownloadsCancelled() const = 0;
};

class InternetOwnerLink {
 public:
  explicit InternetOwnerLink(InternetOwner* owner) : owner_(owner) {}
  InternetOwnerLink(const InternetOwnerLink&) = delete;
  InternetOwnerLink& operator=(const InternetOwnerLink&) = delete;

  // After Detach returns, no call is in progress in the owner, and none
  // follows.
  void Detach();

  void Exit(const InternetReport& report);
  void PostBytesReceived(std::int64_t count);
  bool Cancelled() const;

 private:
  mutable std::mutex mutex_;
  InternetOwner* owner_;
};

}  // namespace corvane
