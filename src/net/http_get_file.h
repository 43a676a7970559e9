// httpGetFile: one HTTP or HTTPS GET whose response body is written,
// unchanged, into a file.
//
// Contract:
//  - The URL is normalised (NormaliseUrl) and checked first: an empty URL or
//    file name gives code 2, a URL that does not parse code 1 "Invalid URL",
//    a service other than HTTP(S) code 1 as well (logged "Wrong service
//    type").
//  - The request carries "Accept: */*" and asks every cache on the way for a
//    fresh answer. Proxy settings come from the environment (http_proxy,
//    https_proxy, no_proxy); connecting is limited by the connect time-out;
//    redirects are followed, at most maxRedirects of them.
//  - Only a final status below 400 counts: then the output file is created
//    (or truncated) and the body streamed into it block by block (blocks of
//    at most 32768 bytes), each block followed by onBlock with the bytes so
//    far. A status of 400 or above gives its code (ResultOfHttpStatus) and
//    leaves any existing file untouched, whatever its body holds. A
//    connection that fails or breaks, and a body that ends before the length
//    its answer announced, give code 3.
//  - A body larger than maxBodyBytes (announced, or as it arrives) ends the
//    transfer with code 8 "Answer too large"; what was written stays.
//  - A file error (creating, writing or closing the file) gives code
//    100 + errno.
//  - abortRequest or cancelled() ends the transfer after the block in
//    progress: the bytes received so far stay in the file, the code is 0 and
//    the result says cancelled, so nobody mistakes the file for complete.
//  - reading is true while the response is awaited and read; lastDataTime is
//    set (from clock) when the session opens and whenever data arrive;
//    bytesReceived counts the body bytes written so far.
//  - Lines go to the network log as the download proceeds.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "net/internet_result.h"
#include "net/network_log.h"

namespace corvane {

// The parts of a download that another thread watches or sets.
struct HttpTransfer {
  std::atomic<bool> abortRequest{false};
  std::atomic<bool> reading{false};
  std::atomic<std::int64_t> lastDataTime{0};
  std::atomic<std::int64_t> bytesReceived{0};
};

// The largest answer a download accepts. The largest real day (200 eggs,
// 86,400 records) is well under 100 MB of text before compression.
inline constexpr std::int64_t kMaxDownloadBytes = std::int64_t{256} << 20;

struct HttpGetOptions {
  static constexpr std::chrono::milliseconds kDefaultConnectTimeout{30000};
  static constexpr long kDefaultMaxRedirects = 10;

  std::chrono::milliseconds connectTimeout = kDefaultConnectTimeout;
  long maxRedirects = kDefaultMaxRedirects;
  std::int64_t maxBodyBytes = kMaxDownloadBytes;
  NetworkLog log;
  // Whole seconds for lastDataTime; the system clock when empty.
  std::function<std::int64_t()> clock;
  // Called after every block written, with the bytes received so far.
  std::function<void(std::int64_t)> onBlock;
  // A further stop condition, tested with abortRequest.
  std::function<bool()> cancelled;
};

struct HttpGetResult {
  int code = kInternetSuccess;
  std::string text = InternetResultText(kInternetSuccess);
  bool cancelled = false;
  long httpStatus = 0;     // the final status, 0 when none arrived
  std::int64_t bytes = 0;  // body bytes written to the file
};

inline constexpr std::size_t kHttpBlockSize = 32768;

HttpGetResult httpGetFile(const std::string& url, const std::string& file, HttpTransfer& transfer,
                          const HttpGetOptions& options);

}  // namespace corvane
