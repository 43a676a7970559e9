// A small file system of the test's own (a tmpfs mounted on a fresh folder),
// for the tests of a full disk. Mounting needs root; without it, or where
// the system refuses the mount, ok() is false and reason() says why, so that
// the test can skip with a message.
#pragma once

#include <cstdint>
#include <string>

#include "support/temp_dir.h"

namespace corvane::testing {

class SmallDisk {
 public:
  explicit SmallDisk(std::int64_t bytes);
  ~SmallDisk();
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool ok() const { return mounted_; }
  const std::string& reason() const { return reason_; }
  // The mounted folder, ending with a separator.
  const std::string& path() const { return folder_.path(); }

  // Fills the disk with a file of its own until only about `leave` bytes
  // are free (0: completely full). Returns the bytes still free.
  std::int64_t Fill(std::int64_t leave = 0);

 private:
  TempDir folder_;
  bool mounted_ = false;
  std::string reason_;
};

}  // namespace corvane::testing
