// The text of a gzip file, inflated on a thread of its own a few blocks ahead
// of its reader, so that inflating and parsing overlap.
//
// Open starts the thread; Read hands out the inflated bytes in order. The
// stream stops, and tells why (Problem), at damaged or truncated data (a
// wrong check sum at the end included) and once the text would exceed
// kMaxInflatedBytes: no more than kBlockBytes x (kAheadBlocks + 1) bytes are
// ever held. Closing or destroying the stream stops the thread and waits
// for it (at most one block's inflation). One reader thread only.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "input/gz_file.h"

namespace corvane {

class InflatingStream {
 public:
  static constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
  static constexpr std::size_t kAheadBlocks = 3;

  enum class Problem { kNone, kDamaged, kTooLarge };

  InflatingStream() = default;
  ~InflatingStream();
  InflatingStream(const InflatingStream&) = delete;
  InflatingStream& operator=(const InflatingStream&) = delete;

  // Opens the gzip file at path (a regular file holding gzip data, or an
  // empty one) and starts inflating. False when it cannot be opened: then
  // NotRegular() tells why for a name that is not a regular file.
  bool Open(const std::string& path);
  const std::string& NotRegular() const { return not_regular_; }

  // The compressed file's size in bytes.
  std::int64_t CompressedSize() const { return compressed_size_; }

  // Copies up to size inflated bytes into buffer, waiting for them when
  // needed. Returns the count; 0 at the end of the text; -1 once the stream
  // stopped on a problem.
  long Read(char* buffer, std::size_t size);

  // Why the stream stopped early (kNone while it has not, and after a sound
  // end).
  Problem problem() const { return problem_; }

  // Stops the thread; what was not read is dropped.
  void Close();

 private:
  struct Block {
    std::vector<char> bytes;
    std::size_t size = 0;
  };
  void Inflate();

  GzFile gz_;
  std::string not_regular_;
  std::int64_t compressed_size_ = 0;
  std::thread thread_;

  // Shared with the thread, under mutex_.
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::unique_ptr<Block>> ready_;   // inflated, in order
  std::vector<std::unique_ptr<Block>> spare_;  // read, for reuse
  bool ended_ = false;                         // the thread has pushed its last block
  bool stop_ = false;
  Problem thread_problem_ = Problem::kNone;

  // The reader's side.
  std::unique_ptr<Block> current_;
  std::size_t offset_ = 0;  // read so far of current_
  Problem problem_ = Problem::kNone;
};

}  // namespace corvane
