#include "input/gz_file.h"

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <climits>

#include "core/regular_file.h"

namespace corvane {

GzFile::~GzFile() { Close(); }

bool GzFile::OpenForReading(const std::string& path) {
  Close();
  const int fd = OpenRegularFileDescriptor(path, &not_regular_);
  if (fd < 0) return false;
  struct stat info {};
  if (fstat(fd, &info) != 0) {
    close(fd);
    return false;
  }
  length_ = static_cast<std::int64_t>(info.st_size);
  stream_ = gzdopen(fd, "rb");  // owns fd from here on
  if (stream_ == nullptr) {
    close(fd);
    return false;
  }
  failed_ = false;
  // zlib passes a file without a gzip header through unchanged; such a file
  // is not compressed data.
  if (length_ > 0 && gzdirect(stream_) != 0) {
    gzclose_r(stream_);
    stream_ = nullptr;
    return false;
  }
  mode_ = kReading;
  return true;
}

long GzFile::Read(char* buffer, size_t size) {
  if (mode_ != kReading) return -1;
  const unsigned chunk = static_cast<unsigned>(std::min<size_t>(size, INT_MAX));
  const int got = gzread(stream_, buffer, chunk);
  if (got < 0) {
    failed_ = true;
    return -1;
  }
  if (got == 0) {
    int error = Z_OK;
    gzerror(stream_, &error);
    if (error != Z_OK) {  // ended inside the stream
      failed_ = true;
      return -1;
    }
  }
  return got;
}

bool GzFile::Close() {
  if (mode_ != kReading) return false;
  const int status = gzclose_r(stream_);
  stream_ = nullptr;
  mode_ = kClosed;
  return status == Z_OK && !failed_;
}

}  // namespace corvane
