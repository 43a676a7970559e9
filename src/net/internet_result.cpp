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
    default:
      return CFormat("Internet error %d", code);
  }
}

int ResultOfHttpStatus(long status) {
  if (status < 400) return kInternetSuccess;
  if (status == 403 || status == 407) return kInternetNotAuthorized;
  if (status == 404) return kInternetNotFound;
  return kInternetConnectionFailed;
}

}  // namespace corvane
