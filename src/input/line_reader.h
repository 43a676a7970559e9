// Reads a text file line by line through large blocks, for the egg data
// reader: one pass, no per-character stdio calls. The text is a plain file,
// or the inflated text of a gzip file (inflated while it is read:
// InflatingStream; written out only to a copy the caller asks for).
//
// A line ends at a line feed; a carriage return right before it is not part
// of the line, and the last line may lack its line feed. A line is valid
// until the next call of NextLine. Lines longer than kMaxLineLength (without
// their terminator) are refused rather than held: reading stops there and
// TooLong() tells, so no file can make the reader hold more than a block and
// one longest line.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/regular_file.h"
#include "input/inflating_stream.h"

namespace corvane {

class LineReader {
 public:
  static constexpr size_t kBlockSize = size_t{1} << 20;
  // No egg data file comes near this: a record of 200 eggs takes about a
  // kilobyte.
  static constexpr size_t kMaxLineLength = size_t{64} << 10;

  // Opens path for reading. False when it cannot be opened or is not a
  // regular file (a FIFO or a device is refused without waiting on it).
  bool Open(const std::string& path);

  // Receives the inflated text of a compressed file as it is read, block
  // after block in order (what CheckToEnd reads included); false stops the
  // reading as a failure (CopyFailed).
  using TextCopy = std::function<bool(std::string_view)>;

  // Opens the gzip file at path and reads its inflated text, handing it to
  // copy as well when one is given. False as Open, and for a file that is
  // not gzip data. Afterwards EmptyText() and MessagePage() tell what the
  // text begins with.
  bool OpenCompressed(const std::string& path, TextCopy copy = nullptr);

  // After a failed Open of a name that is not a regular file: why ("it is a
  // FIFO", see NotRegularFile); empty otherwise.
  const std::string& NotRegular() const { return not_regular_; }

  // The file's size in bytes when it was opened (for a gzip file, the
  // compressed size).
  std::int64_t FileSize() const { return file_size_; }

  // True for the text of a gzip file.
  bool Compressed() const { return stream_ != nullptr; }

  // A compressed text: it holds no byte at all; its first word is the data
  // server's message page tag (FirstWord), as far as its first block tells.
  bool EmptyText() const { return empty_text_; }
  bool MessagePage() const { return message_page_; }

  // Bytes of the file taken by the lines returned so far.
  std::int64_t Consumed() const { return consumed_; }

  // Lines returned so far.
  std::int64_t LineCount() const { return line_count_; }

  // The next line, without its terminator. False at the end of the file,
  // after a read error and at a line longer than kMaxLineLength.
  bool NextLine(std::string_view& line);

  // True when reading stopped on an error rather than at the end of the file
  // (for a compressed text: damaged data or too large a text, see Problem).
  bool Failed() const { return failed_; }

  // Why a compressed text stopped (kNone for a plain file).
  InflatingStream::Problem Problem() const { return problem_; }

  // True when reading stopped because the copy refused a block.
  bool CopyFailed() const { return copy_failed_; }

  // Reads a compressed text on to its end without looking at its lines, so
  // that its check sum (and its size bound) is tested. True when the text
  // ended soundly, and always for a plain file.
  bool CheckToEnd();

  // True when reading stopped at a line longer than kMaxLineLength (line
  // number LineCount() + 1).
  bool TooLong() const { return too_long_; }

 private:
  bool Fill();
  bool Return(std::string_view& line, size_t length, size_t taken);

  bool Start(std::int64_t size);
  long ReadBlock(char* into, size_t size);

  StdioFile file_;
  std::unique_ptr<InflatingStream> stream_;
  TextCopy copy_;
  // kBufferSize bytes, left uninitialised: a small file touches only the
  // pages it fills.
  std::unique_ptr<char[]> buffer_;
  size_t begin_ = 0;  // start of the unread text in buffer_
  size_t end_ = 0;    // end of the valid text in buffer_
  bool eof_ = false;
  bool failed_ = false;
  bool too_long_ = false;
  bool empty_text_ = false;
  bool message_page_ = false;
  bool copy_failed_ = false;
  InflatingStream::Problem problem_ = InflatingStream::Problem::kNone;
  std::string not_regular_;
  std::int64_t file_size_ = 0;
  std::int64_t consumed_ = 0;
  std::int64_t line_count_ = 0;
};

}  // namespace corvane
