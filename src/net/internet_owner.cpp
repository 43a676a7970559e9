#include "net/internet_owner.h"

namespace corvane {

void InternetOwnerLink::Detach() {
  std::lock_guard<std::mutex> lock(mutex_);
  owner_ = nullptr;
}

void InternetOwnerLink::Exit(const InternetReport& report) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (owner_ != nullptr) owner_->ExitInternetThread(report);
}

void InternetOwnerLink::PostBytesReceived(std::int64_t count) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (owner_ != nullptr) owner_->PostBytesReceived(count);
}

bool InternetOwnerLink::Cancelled() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return owner_ == nullptr || owner_->DownloadsCancelled();
}

}  // namespace corvane
