#include "net/http_get_file.h"

#include <cerrno>
#include <ctime>
#include <exception>

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include "core/c_format.h"
#include "net/internet_url.h"

namespace corvane {
namespace {

void EnsureCurlInitialised() {
  // Once per process, before the first handle; thread-safe through the
  // static's initialisation.
  static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  (void)initialised;
}

// The output file as a descriptor, so that every failure carries its errno.
class OutputDescriptor {
 public:
  OutputDescriptor() = default;
  ~OutputDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  OutputDescriptor(const OutputDescriptor&) = delete;
  OutputDescriptor& operator=(const OutputDescriptor&) = delete;

  // Each returns 0 or the errno of the failure.
  int Open(const std::string& path) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    return fd_ < 0 ? errno : 0;
  }
  int Write(const char* data, size_t size) {
    while (size > 0) {
      const ssize_t written = ::write(fd_, data, size);
      if (written < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
      data += written;
      size -= static_cast<size_t>(written);
    }
    return 0;
  }
  int Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) != 0 ? errno : 0;
  }
  bool IsOpen() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

struct CurlHandle {
  CURL* curl = curl_easy_init();
  curl_slist* headers = nullptr;
  ~CurlHandle() {
    if (curl != nullptr) curl_easy_cleanup(curl);
    curl_slist_free_all(headers);
  }
};

// The state of one transfer, shared with libcurl's callbacks.
struct Download {
  Download(CURL* handle, const std::string& output, HttpTransfer& watched,
           const HttpGetOptions& given)
      : curl(handle), path(output), transfer(watched), options(given) {}

  CURL* curl;
  const std::string& path;
  HttpTransfer& transfer;
  const HttpGetOptions& options;

  OutputDescriptor out;
  bool body_started = false;
  bool status_error = false;
  bool cancelled = false;
  bool callback_failed = false;
  bool too_large = false;
  int file_error = 0;
  std::int64_t bytes = 0;

  std::int64_t Now() const {
    return options.clock ? options.clock() : static_cast<std::int64_t>(std::time(nullptr));
  }
  bool StopAsked() const {
    return transfer.abortRequest.load() || (options.cancelled && options.cancelled());
  }
  long Status() const {
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    return status;
  }

  // Called once the final response is known to have a body (or to be
  // complete): checks its status and creates the output file. False when the
  // body must not be written.
  bool BeginBody() {
    if (body_started) return !status_error && file_error == 0;
    body_started = true;
    options.log.Line("Opened URL");
    if (Status() >= 400) {
      status_error = true;
      return false;
    }
    if (const int error = out.Open(path); error != 0) {
      options.log.Line("Failed to open temp compressed file for write");
      file_error = error;
      return false;
    }
    options.log.Line("Reading http data");
    return true;
  }
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  Download& download = *static_cast<Download*>(user);
  const size_t length = size * count;
  try {
    if (!download.BeginBody()) return 0;
    download.transfer.lastDataTime.store(download.Now());
    if (length > 0) {
      if (static_cast<std::int64_t>(length) > download.options.maxBodyBytes - download.bytes) {
        download.too_large = true;
        return 0;
      }
      if (const int error = download.out.Write(data, length); error != 0) {
        download.file_error = error;
        return 0;
      }
      download.bytes += static_cast<std::int64_t>(length);
      download.transfer.bytesReceived.store(download.bytes);
      if (download.options.onBlock) download.options.onBlock(download.bytes);
    }
    if (download.StopAsked()) {
      download.cancelled = true;
      return 0;
    }
  } catch (...) {
    download.callback_failed = true;
    return 0;
  }
  return length;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  Download& download = *static_cast<Download*>(user);
  try {
    if (download.StopAsked()) {
      download.cancelled = true;
      return 1;
    }
  } catch (...) {
    download.callback_failed = true;
    return 1;
  }
  return 0;
}

void SetOptions(CurlHandle& handle, const std::string& url, const HttpGetOptions& options,
                Download& download, char* error_text) {
  CURL* curl = handle.curl;
  handle.headers = curl_slist_append(handle.headers, "Accept: */*");
  handle.headers = curl_slist_append(handle.headers, "Cache-Control: no-cache");
  handle.headers = curl_slist_append(handle.headers, "Pragma: no-cache");
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, handle.headers);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, options.maxRedirects);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                   static_cast<long>(options.connectTimeout.count()));
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, static_cast<long>(kHttpBlockSize));
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.maxBodyBytes));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &OnBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &download);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &OnProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &download);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error_text);
}

void Finish(HttpGetResult& result, int code) {
  result.code = code;
  result.text = InternetResultText(code);
}

}  // namespace

HttpGetResult httpGetFile(const std::string& url, const std::string& file, HttpTransfer& transfer,
                          const HttpGetOptions& options) {
  HttpGetResult result;
  const NetworkLog& log = options.log;
  log.Line("Enter httpGetFile");
  const std::string normalised = NormaliseUrl(url);
  if (url.empty() || file.empty()) {
    log.Line("Empty URL or filespec");
    Finish(result, kInternetInvalidParameter);
    return result;
  }
  switch (CheckUrl(normalised)) {
    case UrlCheck::kInvalid:
      log.Line("Invalid URL");
      Finish(result, kInternetInvalidUrl);
      return result;
    case UrlCheck::kWrongService:
      log.Line("Wrong service type");
      Finish(result, kInternetInvalidUrl);
      return result;
    case UrlCheck::kOk:
      break;
  }

  try {
    EnsureCurlInitialised();
    CurlHandle handle;
    if (handle.curl == nullptr) {
      log.Line("Failed to create CInternetSession");
      Finish(result, kInternetConnectionFailed);
      return result;
    }
    log.Line("CInternetSession created");
    Download download(handle.curl, file, transfer, options);
    char error_text[CURL_ERROR_SIZE] = {0};
    SetOptions(handle, normalised, options, download, error_text);

    transfer.lastDataTime.store(download.Now());
    transfer.bytesReceived.store(0);
    transfer.reading.store(true);
    const CURLcode performed = curl_easy_perform(handle.curl);
    transfer.reading.store(false);
    result.httpStatus = download.Status();
    result.bytes = download.bytes;

    int code = kInternetSuccess;
    // A complete response without body bytes: its status decides, and a
    // success leaves an empty file.
    if (performed == CURLE_OK && !download.body_started) download.BeginBody();
    if (download.callback_failed) {
      log.Line("Exception occurred");
      code = kInternetConnectionFailed;
    } else if (download.file_error != 0) {
      log.Line("File exception occurred");
      code = kInternetFileErrorBase + download.file_error;
    } else if (download.cancelled) {
      result.cancelled = true;
      log.Line("Http data read");
    } else if (download.status_error ||
               (performed == CURLE_FILESIZE_EXCEEDED && result.httpStatus >= 400)) {
      log.Line("Http status error");
      code = ResultOfHttpStatus(result.httpStatus);
    } else if (download.too_large || performed == CURLE_FILESIZE_EXCEEDED) {
      log.Line(
          CFormat("Answer larger than %lld bytes", static_cast<long long>(options.maxBodyBytes)));
      code = kInternetTooLarge;
    } else if (performed == CURLE_PARTIAL_FILE) {
      log.Line("Transfer ended before the announced length");
      code = kInternetConnectionFailed;
    } else if (performed != CURLE_OK) {
      log.Line(download.body_started ? "Internet exception occurred" : "OpenURL failed");
      log.Line(error_text[0] != '\0' ? error_text : curl_easy_strerror(performed));
      code = kInternetConnectionFailed;
    } else {
      log.Line("Http data read");
    }

    if (download.out.IsOpen()) {
      const int error = download.out.Close();
      if (error != 0 && code == kInternetSuccess && !download.cancelled) {
        log.Line("File exception occurred");
        code = kInternetFileErrorBase + error;
      }
    }
    Finish(result, code);
  } catch (const std::exception&) {
    transfer.reading.store(false);
    log.Line("Exception occurred");
    Finish(result, kInternetConnectionFailed);
  }
  return result;
}

}  // namespace corvane
