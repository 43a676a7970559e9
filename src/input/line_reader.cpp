#include "input/line_reader.h"

#include <sys/stat.h>
#include <cstring>

namespace corvane {

bool LineReader::Open(const std::string& path) {
  file_.reset(std::fopen(path.c_str(), "rb"));
  if (!file_) return false;
  struct stat info {};
  if (fstat(fileno(file_.get()), &info) != 0 || !S_ISREG(info.st_mode)) {
    file_.reset();
    return false;
  }
  file_size_ = static_cast<std::int64_t>(info.st_size);
  buffer_.assign(kBlockSize, '\0');
  begin_ = end_ = 0;
  eof_ = failed_ = false;
  consumed_ = 0;
  return true;
}

// Moves the unread text to the front of the buffer (growing the buffer when
// the unread text fills it) and reads the next block behind it.
bool LineReader::Fill() {
  if (eof_ || !file_) return false;
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
  const size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_.get());
  end_ += got;
  if (got == 0) {
    eof_ = true;
    failed_ = std::ferror(file_.get()) != 0;
    return false;
  }
  return true;
}

bool LineReader::NextLine(std::string_view& line) {
  size_t searched = begin_;
  for (;;) {
    const char* start = buffer_.data() + begin_;
    const void* feed = std::memchr(buffer_.data() + searched, '\n', end_ - searched);
    if (feed != nullptr) {
      const size_t length = static_cast<size_t>(static_cast<const char*>(feed) - start);
      consumed_ += static_cast<std::int64_t>(length + 1);
      begin_ += length + 1;
      line = std::string_view(start, length);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      return true;
    }
    const size_t pending = end_ - begin_;
    if (!Fill()) {
      if (pending == 0 || failed_) return false;
      // The last line of the file, without a line feed.
      line = std::string_view(buffer_.data() + begin_, pending);
      consumed_ += static_cast<std::int64_t>(pending);
      begin_ = end_;
      if (line.back() == '\r') line.remove_suffix(1);
      return true;
    }
    searched = begin_ + pending;
  }
}

}  // namespace corvane
