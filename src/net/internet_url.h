// What a download does with the URL text it is given, before any network
// access: normalisation and the check of its form and service.
#pragma once

#include <string>

namespace corvane {

// White space removed at both ends. A text without any ":" gets "http://" in
// front, or "http:" when it begins with "/" (which then does not parse).
std::string NormaliseUrl(const std::string& url);

enum class UrlCheck {
  kOk,           // an http:// or https:// URL that parses
  kInvalid,      // does not parse: no "scheme://", no host, bad characters, bad port
  kWrongService  // parses, but names another service (ftp://, gopher://, ...)
};

// Checks a normalised URL.
UrlCheck CheckUrl(const std::string& url);

}  // namespace corvane
