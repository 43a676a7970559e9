// The result codes of one download and their texts. A code outside the
// table reads "Internet error %d"; a file error while writing the download
// is 100 + the system's error number (errno) and reads that way too.
#pragma once

#include <string>

namespace corvane {

enum InternetResult : int {
  kInternetSuccess = 0,
  kInternetInvalidUrl = 1,
  kInternetInvalidParameter = 2,
  kInternetConnectionFailed = 3,
  kInternetTimedOut = 4,
  kInternetNotFound = 5,
  kInternetNotAuthorized = 6,
  kInternetDiskError = 7,
  kInternetFileErrorBase = 100,
};

// "Successful", "Invalid URL", ... or "Internet error %d".
std::string InternetResultText(int code);

// The code of a final HTTP status: 0 below 400; 6 for 403 and 407, 5 for 404,
// 3 for every other status of 400 or above.
int ResultOfHttpStatus(long status);

}  // namespace corvane
