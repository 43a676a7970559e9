// Reads a text file line by line through large blocks, for the egg data
// reader: one pass, no per-character stdio calls.
//
// A line ends at a line feed; a carriage return right before it is not part
// of the line, and the last line may lack its line feed. Lines of any length
// are returned whole (the buffer grows to hold the longest line). A line is
// valid until the next call of NextLine.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

class LineReader {
 public:
  static constexpr size_t kBlockSize = size_t{1} << 20;

  // Opens path for reading. False when it cannot be opened or is not a
  // regular file.
  bool Open(const std::string& path);

  // The file's size in bytes when it was opened.
  std::int64_t FileSize() const { return file_size_; }

  // Bytes of the file taken by the lines returned so far.
  std::int64_t Consumed() const { return consumed_; }

  // The next line, without its terminator. False at the end of the file or
  // after a read error.
  bool NextLine(std::string_view& line);

  // True when reading stopped on an error rather than at the end of the file.
  bool Failed() const { return failed_; }

 private:
  bool Fill();

  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
  std::vector<char> buffer_;
  size_t begin_ = 0;  // start of the unread text in buffer_
  size_t end_ = 0;    // end of the valid text in buffer_
  bool eof_ = false;
  bool failed_ = false;
  std::int64_t file_size_ = 0;
  std::int64_t consumed_ = 0;
};

}  // namespace corvane
