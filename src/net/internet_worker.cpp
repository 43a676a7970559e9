#include "net/internet_worker.h"

#include <utility>

namespace corvane {

CInternet::CInternet(std::shared_ptr<InternetOwnerLink> owner, std::uint64_t generation)
    : owner_(std::move(owner)), generation_(generation) {}

CInternet::~CInternet() { EndThread(); }

void CInternet::SetLogging(bool enabled, bool startFresh, const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  log_ = NetworkLog(path, enabled);
  if (startFresh) log_.StartFresh();
}

void CInternet::SetOptions(const HttpGetOptions& options) {
  std::lock_guard<std::mutex> lock(mutex_);
  options_.connectTimeout = options.connectTimeout;
  options_.maxRedirects = options.maxRedirects;
  options_.maxBodyBytes = options.maxBodyBytes;
  options_.clock = options.clock;
}

void CInternet::Log(const std::string& text) const {
  NetworkLog log;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    log = log_;
  }
  log.Line(text);
}

bool CInternet::WaitForThreadReady() {
  if (!ReadyEvent().Wait(ReadyTimeout())) {
    Log("CInternet: WaitForThreadReady timed out");
    return false;
  }
  Log("Signalled internet thread ready");
  return true;
}

void CInternet::GetInternetData(const std::string& url, const std::string& file, int segmentIndex) {
  Log("***Entered GetInternetData***");
  {
    std::lock_guard<std::mutex> lock(mutex_);
    url_ = url;
    file_ = file;
    segment_index_ = segmentIndex;
  }
  request_pending_.store(true);
}

void CInternet::Execute() {
  Log("Signaling EThreadReady");
  ReadyEvent().Set();
  bool first_poll = true;
  for (;;) {
    if (StopEvent().Wait(kRequestPoll) || owner_->Cancelled()) {
      Log("CInternet: Breaking out");
      Log("Exit CInternet::Execute");
      Report(kInternetSuccess, std::string(), true);
      return;
    }
    SuspensionPoint();
    if (first_poll) {
      first_poll = false;
      Log("Entered 'Execute' loop");
      continue;
    }
    if (!request_pending_.load()) continue;

    Log("Call httpGetFile");
    std::string url;
    std::string file;
    HttpGetOptions options;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      url = url_;
      file = file_;
      options = options_;
      options.log = log_;
    }
    options.onBlock = [this](std::int64_t count) { owner_->PostBytesReceived(count); };
    options.cancelled = [this] { return StopRequested() || owner_->Cancelled(); };
    const HttpGetResult result = httpGetFile(url, file, transfer_, options);
    request_pending_.store(false);
    Log("Exit CInternet::Execute");
    Report(result.code, result.text, result.cancelled);
    return;
  }
}

void CInternet::Report(int code, const std::string& text, bool cancelled) {
  InternetReport report;
  report.generation = generation_;
  report.resultCode = code;
  report.resultText = text;
  report.cancelled = cancelled;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    report.segmentIndex = segment_index_;
  }
  owner_->Exit(report);
}

}  // namespace corvane
