#include "support/small_disk.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace corvane::testing {

SmallDisk::SmallDisk(std::int64_t bytes) {
  if (geteuid() != 0) {
    reason_ = "mounting a small tmpfs needs root";
    return;
  }
  const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
  if (mount("tmpfs", folder_.path().c_str(), "tmpfs", 0, options.c_str()) != 0) {
    reason_ = std::string("mounting a small tmpfs failed: ") + std::strerror(errno);
    return;
  }
  mounted_ = true;
}

SmallDisk::~SmallDisk() {
  if (mounted_) umount2(folder_.path().c_str(), MNT_DETACH);
}

std::int64_t SmallDisk::Fill(std::int64_t leave) {
  const auto available = [this] {
    struct statvfs info {};
    statvfs(folder_.path().c_str(), &info);
    return static_cast<std::int64_t>(info.f_bavail) * static_cast<std::int64_t>(info.f_frsize);
  };
  const int fd = open((folder_.path() + ".filler").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (fd < 0) return available();
  const std::vector<char> page(4096, 'f');
  while (available() > leave && write(fd, page.data(), page.size()) > 0) {
  }
  // The last pages of a tmpfs may take single bytes still.
  while (leave == 0 && write(fd, page.data(), 1) > 0) {
  }
  close(fd);
  return available();
}

}  // namespace corvane::testing
