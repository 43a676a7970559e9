#include "net/file_move.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {
namespace {

bool Fail(std::string* error, const std::string& what, int cause) {
  if (error != nullptr) *error = what + ": " + std::strerror(cause);
  return false;
}

// A descriptor that closes itself.
struct Descriptor {
  int fd = -1;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

bool CopyFileReplacing(const std::string& from, const std::string& to, std::string* error) {
  Descriptor in;
  in.fd = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in.fd < 0) return Fail(error, "cannot open " + from, errno);
  std::string part = to + ".XXXXXX";
  Descriptor out;
  out.fd = ::mkstemp(part.data());
  if (out.fd < 0) return Fail(error, "cannot create a file beside " + to, errno);
  auto give_up = [&](const std::string& what, int cause) {
    ::unlink(part.c_str());
    return Fail(error, what, cause);
  };

  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = ::read(in.fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      return give_up("cannot read " + from, errno);
    }
    if (got == 0) break;
    for (ssize_t done = 0; done < got;) {
      const ssize_t written = ::write(out.fd, buffer + done, static_cast<size_t>(got - done));
      if (written < 0) {
        if (errno == EINTR) continue;
        return give_up("cannot write " + part, errno);
      }
      done += written;
    }
  }
  if (::fchmod(out.fd, 0644) != 0 || ::fsync(out.fd) != 0) {
    return give_up("cannot complete " + part, errno);
  }
  const int fd = out.fd;
  out.fd = -1;
  if (::close(fd) != 0) return give_up("cannot complete " + part, errno);
  if (std::rename(part.c_str(), to.c_str()) != 0) return give_up("cannot replace " + to, errno);
  return true;
}

bool MoveFileReplacing(const std::string& from, const std::string& to, std::string* error) {
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  if (errno != EXDEV) return Fail(error, "cannot rename " + from + " to " + to, errno);
  if (!CopyFileReplacing(from, to, error)) return false;
  // The copy is complete: a source that cannot be deleted does no harm.
  ::unlink(from.c_str());
  return true;
}

}  // namespace corvane
