#include "input/line_reader.h"

#include <sys/stat.h>
#include <cstring>
#include <utility>

#include "input/first_word.h"

namespace corvane {
namespace {

// The longest text a line may take before its line feed: the line and the
// carriage return that is not part of it.
constexpr size_t kMaxRawLine = LineReader::kMaxLineLength + 1;
// A block behind the unread rest of a line.
constexpr size_t kBufferSize = LineReader::kBlockSize + kMaxRawLine + 1;

}  // namespace

bool LineReader::Start(std::int64_t size) {
  file_size_ = size;
  if (!buffer_) buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
  begin_ = end_ = 0;
  eof_ = failed_ = too_long_ = empty_text_ = message_page_ = copy_failed_ = false;
  problem_ = InflatingStream::Problem::kNone;
  consumed_ = line_count_ = 0;
  return true;
}

bool LineReader::Open(const std::string& path) {
  stream_.reset();
  copy_ = nullptr;
  file_ = OpenRegularFile(path, &not_regular_);
  if (!file_) return false;
  struct stat info {};
  if (fstat(fileno(file_.get()), &info) != 0) {
    file_.reset();
    return false;
  }
  return Start(static_cast<std::int64_t>(info.st_size));
}

bool LineReader::OpenCompressed(const std::string& path, TextCopy copy) {
  file_.reset();
  copy_ = std::move(copy);
  stream_ = std::make_unique<InflatingStream>();
  if (!stream_->Open(path)) {
    not_regular_ = stream_->NotRegular();
    stream_.reset();
    return false;
  }
  Start(stream_->CompressedSize());
  // The first block tells an empty text and the data server's message page.
  FirstWord first_word;
  while (!first_word.Complete() && end_ < kBlockSize) {
    const size_t before = end_;
    if (!Fill()) break;
    first_word.Feed(std::string_view(buffer_.get() + before, end_ - before));
  }
  empty_text_ = end_ == 0 && eof_ && !failed_;
  message_page_ = !failed_ && first_word.IsMessagePage();
  return true;
}

long LineReader::ReadBlock(char* into, size_t size) {
  if (stream_ != nullptr) {
    const long got = stream_->Read(into, size);
    if (got < 0) problem_ = stream_->problem();
    if (got > 0 && copy_ && !copy_(std::string_view(into, static_cast<size_t>(got)))) {
      copy_failed_ = true;
      return -1;
    }
    return got;
  }
  if (!file_) return 0;
  const size_t got = std::fread(into, 1, size, file_.get());
  if (got == 0 && std::ferror(file_.get()) != 0) return -1;
  return static_cast<long>(got);
}

bool LineReader::CheckToEnd() {
  if (stream_ == nullptr) return true;
  while (!eof_) {
    begin_ = end_ = 0;  // the rest is not read as lines
    Fill();
  }
  return !failed_;
}

// Moves the unread text (never longer than kMaxRawLine) to the front of the
// buffer and reads the next block behind it.
bool LineReader::Fill() {
  if (eof_ || (!file_ && stream_ == nullptr)) return false;
  if (begin_ > 0) {
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  const long got = ReadBlock(buffer_.get() + end_, kBufferSize - end_);
  if (got <= 0) {
    eof_ = true;
    failed_ = got < 0;
    return false;
  }
  end_ += static_cast<size_t>(got);
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
  if (too_long_ || (!file_ && stream_ == nullptr)) return false;
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

}  // namespace corvane
