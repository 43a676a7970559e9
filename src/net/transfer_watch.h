// TransferWatch: when a download in progress counts as stalled, judged on
// the job's clock (whole seconds) from what the worker reports.
//
// Two rules, both checked by Check on every tick of the job:
//  - no data: more than kNoDataSeconds since the last data arrived (or since
//    the request was opened);
//  - too slow: fewer than kFloorBytes received during a window of at least
//    kFloorWindowSeconds (a floor of 1 KiB/s). Windows follow one another
//    from Start; each is judged on the first check after it is full, which
//    then opens the next. A server that trickles a byte now and then never
//    meets the first rule, but meets this one.
// A stalled download is stopped and asked for again by the job.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace corvane {

class TransferWatch {
 public:
  static constexpr std::int64_t kNoDataSeconds = 30;
  static constexpr std::int64_t kFloorWindowSeconds = 60;
  static constexpr std::int64_t kFloorBytes = 60 * 1024;

  // A new download, requested at time now.
  void Start(std::int64_t now);

  // The reason the download counts as stalled at time now, or nullopt.
  // lastDataTime and bytes are the worker's.
  std::optional<std::string> Check(std::int64_t now, std::int64_t lastDataTime, std::int64_t bytes);

 private:
  std::int64_t window_start_ = 0;
  std::int64_t window_bytes_ = 0;
};

}  // namespace corvane
