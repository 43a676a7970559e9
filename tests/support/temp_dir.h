// A fresh directory under the system's temporary directory, removed with its
// contents when the object goes away.
#pragma once

#include <string>

namespace corvane::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The directory, ending with a separator.
  const std::string& path() const { return path_; }
  // path() + name.
  std::string File(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// Whole contents of a file ("" when it cannot be read).
std::string ReadFile(const std::string& path);
// Writes bytes to a file, replacing it; fails the test on error.
void WriteFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

}  // namespace corvane::testing
