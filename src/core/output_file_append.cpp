#include "core/output_file_append.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "core/c_format.h"
#include "core/file_descriptor.h"
#include "core/output_file.h"

namespace corvane {
namespace {

// A journal holds one decimal size; anything longer is not ours.
constexpr std::size_t kJournalLimit = 32;

std::string Failure(const std::string& path, int error) { return path + ": " + ErrorText(error); }

std::string JournalPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
  return path.substr(0, name) + "." + path.substr(name) + ".appending";
}

// Opens the table for reading and appending without blocking on a FIFO, and
// refuses anything but a regular file.
FileDescriptor OpenTable(const std::string& path, std::string& failure) {
  FileDescriptor fd(
      open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666));
  if (!fd.valid()) {
    failure = Failure(path, errno);
    return fd;
  }
  struct stat info {};
  if (fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    failure = path + ": not a regular file";
    fd.Reset();
  }
  return fd;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

off_t SizeOf(int fd) {
  struct stat info {};
  return fstat(fd, &info) == 0 ? info.st_size : -1;
}

// Cuts off a unit that a killed writer left unfinished (its journal is still
// there) and removes the journal.
void CutUnfinishedUnit(int table, const std::string& journal) {
  FileDescriptor fd(open(journal.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
  if (!fd.valid()) return;
  struct stat info {};
  char text[kJournalLimit + 1] = {};
  ssize_t n = -1;
  if (fstat(fd.get(), &info) == 0 && S_ISREG(info.st_mode)) n = read(fd.get(), text, kJournalLimit);
  fd.Reset();
  if (n > 0) {
    const std::optional<long long> size =
        ParseInteger(std::string_view(text, static_cast<std::size_t>(n)));
    if (size && *size >= 0 && *size <= SizeOf(table)) {
      while (ftruncate(table, static_cast<off_t>(*size)) != 0 && errno == EINTR) {
      }
    }
  }
  unlink(journal.c_str());
}

// Notes where the unit starts; the errno when that failed.
std::optional<int> WriteJournal(const std::string& journal, off_t start) {
  FileDescriptor fd(
      open(journal.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666));
  if (!fd.valid()) return errno;
  if (!WriteAll(fd.get(), CFormat("%lld\n", static_cast<long long>(start)))) return errno;
  if (const int error = fd.Close()) return error;
  return std::nullopt;
}

// Whether the table holds the line (a final carriage return ignored). Reads
// the file in pieces and keeps at most one line of the wanted length.
bool HoldsLine(int fd, std::string_view wanted) {
  char buffer[1 << 16];
  std::string line;
  bool tooLong = false;
  off_t offset = 0;
  const auto matches = [&] {
    std::string_view seen(line);
    if (!seen.empty() && seen.back() == '\r') seen.remove_suffix(1);
    return !tooLong && seen == wanted;
  };
  for (;;) {
    const ssize_t n = pread(fd, buffer, sizeof buffer, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    offset += n;
    for (ssize_t i = 0; i < n; ++i) {
      if (buffer[i] == '\n') {
        if (matches()) return true;
        line.clear();
        tooLong = false;
      } else if (!tooLong) {
        tooLong = line.size() > wanted.size();
        if (!tooLong) line.push_back(buffer[i]);
      }
    }
  }
  return matches();
}

}  // namespace

std::optional<std::string> CheckTable(const std::string& path) {
  std::string failure;
  if (!OpenTable(path, failure).valid()) return failure;
  return std::nullopt;
}

std::optional<std::string> AppendToTable(const std::string& path, const TableText& append) {
  std::string failure;
  const FileDescriptor table = OpenTable(path, failure);
  if (!table.valid()) return failure;
  // A file system without locks still gets every other guarantee.
  while (flock(table.get(), LOCK_EX) != 0 && errno == EINTR) {
  }
  const std::string journal = JournalPath(path);
  CutUnfinishedUnit(table.get(), journal);

  std::string unit;
  if (!append.headingLine.empty() && !HoldsLine(table.get(), append.headingLine)) {
    unit = append.heading;
  }
  unit += append.text;
  if (unit.empty()) return std::nullopt;

  const off_t start = SizeOf(table.get());
  if (start < 0) return Failure(path, errno);
  if (auto error = WriteJournal(journal, start)) {
    unlink(journal.c_str());
    return Failure(path, *error);
  }
  if (!WriteAll(table.get(), unit)) {
    const int error = errno;
    while (ftruncate(table.get(), start) != 0 && errno == EINTR) {
    }
    unlink(journal.c_str());
    return Failure(path, error);
  }
  unlink(journal.c_str());
  return std::nullopt;
}

}  // namespace corvane
