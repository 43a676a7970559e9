// The result codes of one download and their texts. A code outside the
// table reads "Internet error %d"; a file error while writing the download
// is 100 + the system's error number (errno) and reads that way too. A final
// HTTP status of 500 to 599 is its own code and reads "Server error %d".
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
  kInternetTooLarge = 8,  // the answer is larger than the download limit
  kInternetFileErrorBase = 100,
  kInternetServerErrorFirst = 500,
  kInternetServerErrorLast = 599,
};

// "Successful", "Invalid URL", ..., "Server error 503" or "Internet error %d".
std::string InternetResultText(int code);

// The code of a final HTTP status: 0 below 400; 6 for 403 and 407, 5 for 404,
// the status itself for 500 to 599, 3 for every other status of 400 or above.
int ResultOfHttpStatus(long status);

// A file error while writing the download (100 + errno); its errno, else 0.
int FileErrorCause(int code);

// Failures on this side that asking the server again cannot mend: the
// download could not be written, or the answer exceeds the download limit.
bool IsLocalDownloadFailure(int code);

}  // namespace corvane
