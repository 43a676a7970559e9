// A gzip file opened for reading through zlib's gz* functions.
//
// OpenForReading succeeds only for an existing regular file that holds a
// gzip stream (or is empty); a file in any other format is refused, never
// passed through as plain text, and a FIFO or device is refused without
// waiting on it. The object closes itself when destroyed.
#pragma once

#include <cstdint>
#include <string>

#include <zlib.h>

namespace corvane {

// The most bytes a compressed egg data file may inflate to. A day of the
// network's data is some tens of megabytes, and even 200 eggs a second for
// a day stay under 80 MB; a stream beyond this is refused, not stored.
inline constexpr std::int64_t kMaxInflatedBytes = std::int64_t{1} << 30;

class GzFile {
 public:
  enum Mode { kClosed = 0, kReading = 2 };

  GzFile() = default;
  ~GzFile();
  GzFile(const GzFile&) = delete;
  GzFile& operator=(const GzFile&) = delete;

  // Opens path; records the compressed length. Returns whether the stream is
  // open (mode kReading).
  bool OpenForReading(const std::string& path);

  // After a failed open of a name that is not a regular file: why ("it is
  // a FIFO"); empty otherwise.
  const std::string& NotRegular() const { return not_regular_; }

  Mode mode() const { return mode_; }
  std::int64_t compressedLength() const { return length_; }

  // Reads up to size decompressed bytes. Returns the count, 0 at the end of
  // the stream, -1 on a stream error (damaged or truncated data).
  long Read(char* buffer, size_t size);

  // Closes the stream. True only when it was open and zlib reported no error
  // (a truncated stream fails here).
  bool Close();

 private:
  gzFile stream_ = nullptr;
  Mode mode_ = kClosed;
  std::int64_t length_ = 0;
  bool failed_ = false;
  std::string not_regular_;
};

}  // namespace corvane
