#include "core/paths.h"

#include <fcntl.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace corvane {

std::string WithSeparator(std::string directory) {
  if (!directory.empty() && directory.back() != kPathSeparator) directory += kPathSeparator;
  return directory;
}

std::string SystemTempDirectory() {
  std::error_code error;
  std::filesystem::path path = std::filesystem::temp_directory_path(error);
  if (error) return "/tmp/";
  return WithSeparator(path.string());
}

std::string UserCacheDirectory() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache != nullptr && cache[0] == kPathSeparator) return WithSeparator(cache) + "corvane/";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == kPathSeparator) return WithSeparator(home) + ".cache/corvane/";
  return std::string();
}

bool IsWritableDirectory(const std::string& directory) {
  std::string pattern = WithSeparator(directory.empty() ? std::string("./") : directory);
  pattern += "corvane-probe-XXXXXX";
  const int fd = mkstemp(pattern.data());
  if (fd < 0) return false;
  close(fd);
  unlink(pattern.c_str());
  return true;
}

std::string_view Extension(std::string_view path) {
  const size_t slash = path.find_last_of(kPathSeparator);
  const size_t dot = path.find_last_of('.');
  if (dot == std::string_view::npos) return {};
  if (slash != std::string_view::npos && dot < slash) return {};
  return path.substr(dot);
}

std::string_view WithoutExtension(std::string_view path) {
  return path.substr(0, path.size() - Extension(path).size());
}

}  // namespace corvane
