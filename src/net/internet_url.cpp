#include "net/internet_url.h"

#include <cctype>

#include <curl/curl.h>

namespace corvane {
namespace {

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::string NormaliseUrl(const std::string& url) {
  size_t begin = 0;
  size_t end = url.size();
  while (begin < end && IsSpace(url[begin])) ++begin;
  while (end > begin && IsSpace(url[end - 1])) --end;
  std::string text = url.substr(begin, end - begin);
  if (text.find(':') == std::string::npos) {
    text.insert(0, !text.empty() && text.front() == '/' ? "http:" : "http://");
  }
  return text;
}

UrlCheck CheckUrl(const std::string& url) {
  // A service URL is "scheme://authority...": the two slashes and a host are
  // required, although the URL parser below would forgive their absence.
  const size_t separator = url.find("://");
  if (separator == std::string::npos || separator == 0) return UrlCheck::kInvalid;
  for (size_t i = 0; i < separator; ++i) {
    const char c = url[i];
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') {
      return UrlCheck::kInvalid;
    }
  }
  const size_t host = separator + 3;
  if (host >= url.size() || url[host] == '/' || url[host] == '?' || url[host] == '#') {
    return UrlCheck::kInvalid;
  }

  CURLU* handle = curl_url();
  if (handle == nullptr) return UrlCheck::kInvalid;
  UrlCheck result = UrlCheck::kInvalid;
  if (curl_url_set(handle, CURLUPART_URL, url.c_str(), CURLU_NON_SUPPORT_SCHEME) == CURLUE_OK) {
    char* scheme = nullptr;
    if (curl_url_get(handle, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK && scheme != nullptr) {
      const std::string name = Lower(scheme);
      result = name == "http" || name == "https" ? UrlCheck::kOk : UrlCheck::kWrongService;
    }
    curl_free(scheme);
  }
  curl_url_cleanup(handle);
  return result;
}

}  // namespace corvane
