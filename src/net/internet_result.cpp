#include "net/internet_result.h"

#include "core/c_format.h"

namespace corvane {

std::string InternetResultText(int code) {
  switch (code) {
    case kInternetSuccess:
      return "Successful";
    case kInternetInvalidUrl:
      return "Invalid URL";
    case kInternetInvalidParameter:
      return "Invalid parameter";
    case kInternetConnectionFailed:
      return "Connection failed";
    case kInternetTimedOut:
      return "Timed out";
    case kInternetNotFound:
      return "Not found";
    case kInternetNotAuthorized:
      return "Not authorized";
    case kInternetDiskError:
      return "Disk/file error";
    case kInternetTooLarge:
      return "Answer too large";
    default:
      if (code >= kInternetServerErrorFirst && code <= kInternetServerErrorLast) {
        return CFormat("Server error %d", code);
      }
      return CFormat("Internet error %d", code);
  }
}

int ResultOfHttpStatus(long status) {
  if (status < 400) return kInternetSuccess;
  if (status == 403 || status == 407) return kInternetNotAuthorized;
  if (status == 404) return kInternetNotFound;
  if (status >= kInternetServerErrorFirst && status <= kInternetServerErrorLast) {
    return static_cast<int>(status);
  }
  return kInternetConnectionFailed;
}

int FileErrorCause(int code) {
  return code >= kInternetFileErrorBase && code < kInternetServerErrorFirst
             ? code - kInternetFileErrorBase
             : 0;
}

bool IsLocalDownloadFailure(int code) {
  return FileErrorCause(code) != 0 || code == kInternetTooLarge;
}

}  // namespace corvane
