#include "input/inflating_stream.h"

#include <algorithm>
#include <cstring>
#include <system_error>

namespace corvane {

InflatingStream::~InflatingStream() { Close(); }

bool InflatingStream::Open(const std::string& path) {
  Close();
  if (!gz_.OpenForReading(path)) {
    not_regular_ = gz_.NotRegular();
    return false;
  }
  compressed_size_ = gz_.compressedLength();
  ready_.clear();
  ended_ = stop_ = false;
  problem_ = thread_problem_ = Problem::kNone;
  current_.reset();
  offset_ = 0;
  try {
    thread_ = std::thread([this] { Inflate(); });
  } catch (const std::system_error&) {
    gz_.Close();
    return false;
  }
  return true;
}

// The thread: inflates block after block while fewer than kAheadBlocks wait.
void InflatingStream::Inflate() {
  std::int64_t total = 0;
  for (;;) {
    std::unique_ptr<Block> block;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [this] { return stop_ || ready_.size() < kAheadBlocks; });
      if (stop_) return;
      if (!spare_.empty()) {
        block = std::move(spare_.back());
        spare_.pop_back();
      }
    }
    Problem problem = Problem::kNone;
    try {
      if (block == nullptr) block = std::make_unique<Block>();
      block->bytes.resize(kBlockBytes);
    } catch (const std::bad_alloc&) {
      problem = Problem::kTooLarge;
    }
    long got = 0;
    if (problem == Problem::kNone) {
      // A block is filled whole unless the text ends within it.
      while (block->size < kBlockBytes) {
        got = gz_.Read(block->bytes.data() + block->size, kBlockBytes - block->size);
        if (got <= 0) break;
        block->size += static_cast<std::size_t>(got);
      }
      if (got < 0) {
        problem = Problem::kDamaged;
      } else if (static_cast<std::int64_t>(block->size) > kMaxInflatedBytes - total) {
        problem = Problem::kTooLarge;
      }
    }
    const bool last = problem != Problem::kNone || got == 0;
    std::lock_guard<std::mutex> lock(mutex_);
    if (problem == Problem::kNone && block->size > 0) {
      total += static_cast<std::int64_t>(block->size);
      ready_.push_back(std::move(block));
    }
    if (last) {
      ended_ = true;
      thread_problem_ = problem;
      changed_.notify_all();
      return;
    }
    changed_.notify_all();
  }
}

long InflatingStream::Read(char* buffer, std::size_t size) {
  if (problem_ != Problem::kNone) return -1;
  if (size == 0 || !thread_.joinable()) return 0;
  if (current_ == nullptr || offset_ == current_->size) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (current_ != nullptr) {
      current_->size = 0;
      spare_.push_back(std::move(current_));
    }
    offset_ = 0;
    changed_.notify_all();
    changed_.wait(lock, [this] { return !ready_.empty() || ended_; });
    if (ready_.empty()) {
      problem_ = thread_problem_;
      return problem_ == Problem::kNone ? 0 : -1;
    }
    if (thread_problem_ != Problem::kNone) {
      // A text with a problem is refused whole: reading stops as soon as
      // the problem is known, even with blocks left.
      problem_ = thread_problem_;
      return -1;
    }
    current_ = std::move(ready_.front());
    ready_.pop_front();
  }
  const std::size_t count = std::min(size, current_->size - offset_);
  std::memcpy(buffer, current_->bytes.data() + offset_, count);
  offset_ += count;
  return static_cast<long>(count);
}

void InflatingStream::Close() {
  if (thread_.joinable()) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  gz_.Close();
  ready_.clear();
  spare_.clear();
  current_.reset();
}

}  // namespace corvane
