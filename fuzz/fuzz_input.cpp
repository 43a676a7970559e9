#include "fuzz_input.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace corvane::fuzz {
namespace {

std::string MakeScratchDirectory() {
  std::error_code error;
  const char* base =
      std::filesystem::is_directory("/dev/shm", error) && access("/dev/shm", W_OK) == 0 ? "/dev/shm"
                                                                                        : nullptr;
  std::string root = base != nullptr ? base : std::filesystem::temp_directory_path().string();
  std::string pattern = root + "/corvane-fuzz-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    std::perror("corvane fuzz: cannot make a scratch directory");
    std::abort();
  }
  static std::string made;
  made = pattern;
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(made, ignored);
  });
  return pattern + "/";
}

}  // namespace

const std::string& ScratchDirectory() {
  static const std::string directory = MakeScratchDirectory();
  return directory;
}

std::string WriteScratchFile(const std::string& name, std::string_view bytes) {
  const std::string path = ScratchDirectory() + name;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
      std::fclose(file) != 0) {
    std::perror(path.c_str());
    std::abort();
  }
  return path;
}

void Require(bool holds, const char* promise) {
  if (holds) return;
  std::fprintf(stderr, "corvane fuzz: broken promise: %s\n", promise);
  std::abort();
}

}  // namespace corvane::fuzz
