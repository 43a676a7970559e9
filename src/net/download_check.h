// What a finished download holds, judged before it becomes a run's input.
//
// The data server answers a day without data with a message page instead
// of egg data: a text whose first word (after leading white space) is
// exactly "<html>". InspectDownload reads the gzip stream of the download:
// its beginning always, the whole stream when wholeStream is set (for a
// download that is kept compressed and read only later).
#pragma once

#include <string>

namespace corvane {

enum class DownloadContent {
  kData,         // gzip data whose first word is not "<html>"
  kMessagePage,  // the server's message page
  kEmpty,        // a gzip stream (or file) holding no bytes
  kDamaged,      // missing, not gzip, or a damaged or truncated stream
};

DownloadContent InspectDownload(const std::string& path, bool wholeStream);

}  // namespace corvane
