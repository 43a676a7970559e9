#include "input/line_reader.h"

#include <sys/stat.h>
#include <cstring>

namespace corvane {
namespace {

// The longest text a line may take before its line feed: the line and the
// carriage return that is not part of it.
constexpr size_t kMaxRawLine = LineReader::kMaxLineLength + 1;
// A block behind the unread rest of a line.
constexpr size_t kBufferSize = LineReader::kBlockSize + kMaxRawLine + 1;

}  // namespace

bool LineReader::Open(const std::string& path) {
  file_ = OpenRegularFile(path, &not_regular_);
  if (!file_) return false;
  struct stat info {};
  if (fstat(fileno(file_.get()), &info) != 0) {
    file_.reset();
    return false;
  }
  file_size_ = static_cast<std::int64_t>(info.st_size);
  if (!buffer_) buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
  begin_ = end_ = 0;
  eof_ = failed_ = too_long_ = false;
  consumed_ = line_count_ = 0;
  return true;
}

// Moves the unread text (never longer than kMaxRawLine) to the front of the
// buffer and reads the next block behind it.
bool LineReader::Fill() {
  if (eof_ || !file_) return false;
  if (begin_ > 0) {
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  const size_t got = std::fread(buffer_.get() + end_, 1, kBufferSize - end_, file_.get());
  end_ += got;
  if (got == 0) {
    eof_ = true;
    failed_ = std::ferror(file_.get()) != 0;
    return false;
  }
  return true;
}

// Hands out the `length` bytes at begin_ as the next line and moves past
// `taken` bytes (the line and its terminator); refuses a line over the limit.
bool LineReader::Return(std::string_view& line, size_t length, size_t taken) {
  std::string_view text(buffer_.get() + begin_, length);
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  if (text.size() > kMaxLineLength) {
    too_long_ = true;
    return false;
  }
  consumed_ += static_cast<std::int64_t>(taken);
  begin_ += taken;
  ++line_count_;
  line = text;
  return true;
}

bool LineReader::NextLine(std::string_view& line) {
  if (too_long_ || !file_) return false;
  size_t searched = begin_;
  for (;;) {
    const char* start = buffer_.get() + begin_;
    const void* feed = std::memchr(buffer_.get() + searched, '\n', end_ - searched);
    if (feed != nullptr) {
      const size_t length = static_cast<size_t>(static_cast<const char*>(feed) - start);
      return Return(line, length, length + 1);
    }
    const size_t pending = end_ - begin_;
    if (pending > kMaxRawLine) {
      too_long_ = true;
      return false;
    }
    if (!Fill()) {
      if (pending == 0 || failed_) return false;
      return Return(line, pending, pending);  // the last line, without a line feed
    }
    searched = begin_ + pending;
  }
}

bool LineLimit::Close() {
  const size_t length = length_ - (length_ > 0 && last_ == '\r' ? 1 : 0);
  over_ = length > LineReader::kMaxLineLength;
  return !over_;
}

bool LineLimit::Feed(std::string_view bytes) {
  while (!over_ && !bytes.empty()) {
    const void* feed = std::memchr(bytes.data(), '\n', bytes.size());
    const size_t length = feed == nullptr
                              ? bytes.size()
                              : static_cast<size_t>(static_cast<const char*>(feed) - bytes.data());
    if (length > 0) last_ = bytes[length - 1];
    length_ += length;
    if (length_ > kMaxRawLine) over_ = true;
    if (over_ || feed == nullptr) break;
    if (!Close()) break;
    ++complete_lines_;
    length_ = 0;
    last_ = '\0';
    bytes.remove_prefix(length + 1);
  }
  return !over_;
}

bool LineLimit::Finish() { return !over_ && Close(); }

}  // namespace corvane
