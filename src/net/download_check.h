// What a finished download holds, judged before it becomes a run's input.
//
// The data server answers a day without data with a message page instead
// of egg data: a text whose first word (after leading white space) is
// exactly "<html>", gzip-compressed like the data or sent as it is.
// InspectDownload reads the gzip stream of the download: its beginning
// always, the whole stream when wholeStream is set (for a download that is
// kept compressed and read only later). A download that is not gzip data is
// read only as far as its first word (at most kPlainPageProbe bytes).
#pragma once

#include <cstddef>
#include <string>

namespace corvane {

enum class DownloadContent {
  kData,         // gzip data whose first word is not "<html>"
  kMessagePage,  // the server's message page, compressed or not
  kEmpty,        // a gzip stream (or file) holding no bytes
  kDamaged,      // missing, not gzip, or a damaged or truncated stream
};

inline constexpr std::size_t kPlainPageProbe = 64 * 1024;

DownloadContent InspectDownload(const std::string& path, bool wholeStream);

}  // namespace corvane
