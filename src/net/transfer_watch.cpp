#include "net/transfer_watch.h"

#include "core/c_format.h"

namespace corvane {

void TransferWatch::Start(std::int64_t now) {
  window_start_ = now;
  window_bytes_ = 0;
}

std::optional<std::string> TransferWatch::Check(std::int64_t now, std::int64_t lastDataTime,
                                                std::int64_t bytes) {
  if (now - lastDataTime > kNoDataSeconds) {
    return CFormat("No data received for more than %lld seconds",
                   static_cast<long long>(kNoDataSeconds));
  }
  if (now - window_start_ < kFloorWindowSeconds) return std::nullopt;
  if (bytes - window_bytes_ < kFloorBytes) {
    return CFormat("Fewer than %lld bytes received in %lld seconds",
                   static_cast<long long>(kFloorBytes),
                   static_cast<long long>(now - window_start_));
  }
  window_start_ = now;
  window_bytes_ = bytes;
  return std::nullopt;
}

}  // namespace corvane
