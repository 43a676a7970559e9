#include "core/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace corvane {
namespace {

std::optional<std::string> KindProblem(mode_t mode) {
  if (S_ISREG(mode)) return std::nullopt;
  if (S_ISDIR(mode)) return std::string("it is a directory");
  if (S_ISFIFO(mode)) return std::string("it is a FIFO");
  if (S_ISCHR(mode) || S_ISBLK(mode)) return std::string("it is a device");
  return std::string("it is not a regular file");
}

// Refuses a descriptor or name of the wrong kind: tells why and sets errno.
bool Refuse(std::optional<std::string> problem, std::string* notRegular) {
  if (notRegular != nullptr) *notRegular = std::move(*problem);
  errno = EINVAL;
  return false;
}

}  // namespace

std::optional<std::string> NotRegularFile(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  return KindProblem(info.st_mode);
}

int OpenRegularFileDescriptor(const std::string& path, std::string* notRegular) {
  if (notRegular != nullptr) notRegular->clear();
  if (std::optional<std::string> problem = NotRegularFile(path)) {
    Refuse(std::move(problem), notRegular);
    return -1;
  }
  // Non-blocking, so that a FIFO put in the file's place since the check
  // cannot hold the open; the descriptor's own type decides.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat info {};
  bool ok = fstat(fd, &info) == 0;
  if (ok) {
    if (std::optional<std::string> problem = KindProblem(info.st_mode)) {
      ok = Refuse(std::move(problem), notRegular);
    }
  }
  if (ok) {
    const int flags = fcntl(fd, F_GETFL);
    ok = flags >= 0 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
  }
  if (!ok) {
    const int error = errno;
    close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

StdioFile OpenRegularFile(const std::string& path, std::string* notRegular) {
  const int fd = OpenRegularFileDescriptor(path, notRegular);
  if (fd < 0) return nullptr;
  StdioFile file(fdopen(fd, "rb"));
  if (!file) {
    const int error = errno;
    close(fd);
    errno = error;
  }
  return file;
}

}  // namespace corvane
