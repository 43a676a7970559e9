// The medians and lower 0.05 points of the chi-square distributions with
// 1, 2, 3, ... degrees of freedom, exactly as x_from_p_k(0.5, k) and
// x_from_p_k(0.05, k) give them.
//
// They depend on k alone, so they are evaluated once and kept: a
// QuantileStore evaluates the degrees a run needs beyond what it holds (in
// parallel, rounded up to whole blocks of kQuantileBlockEntries) and keeps
// them in memory and, when it has a directory, in a table file there
// (quantile_table_file.h) that later stores and processes map instead of
// evaluating. A table file is used only when its header, the checksums of
// the blocks asked for and a spot evaluation of the first degree of each
// block agree bit for bit; a damaged, truncated, foreign or older file is
// replaced. A directory that cannot be made or written is no error: the
// table then stays in memory.
//
// ChiSquareQuantilesUpTo uses the process's store, whose table lives in the
// user's cache directory (UserCacheDirectory).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace corvane {

class QuantileTableFile;

// A read-only view of the table for k = 1 ... size(); it keeps the table
// alive. Cheap to copy.
class ChiSquareQuantiles {
 public:
  ChiSquareQuantiles() = default;
  ChiSquareQuantiles(std::shared_ptr<const double> entries, std::int64_t size)
      : entries_(std::move(entries)), size_(size) {}

  std::int64_t size() const { return size_; }
  // x_from_p_k(0.5, k) and x_from_p_k(0.05, k), for 1 <= k <= size().
  double Median(std::int64_t k) const { return entries_.get()[2 * (k - 1)]; }
  double LowerFive(std::int64_t k) const { return entries_.get()[2 * (k - 1) + 1]; }

 private:
  std::shared_ptr<const double> entries_;
  std::int64_t size_ = 0;
};

class QuantileStore {
 public:
  // directory: where the table file lives (made when missing, its last
  // level only); empty keeps the table in memory only.
  explicit QuantileStore(const std::string& directory);
  ~QuantileStore();
  QuantileStore(const QuantileStore&) = delete;
  QuantileStore& operator=(const QuantileStore&) = delete;

  // The table for at least k = 1 ... maxDegrees (empty for maxDegrees < 1).
  // Safe to call from several threads at once. Throws what x_from_p_k throws.
  ChiSquareQuantiles UpTo(std::int64_t maxDegrees);

  // The table file's path ("" without a directory).
  const std::string& path() const { return path_; }
  // How many degrees this store has evaluated rather than read.
  std::int64_t EvaluatedDegrees() const;

 private:
  bool AdoptFile(std::int64_t wanted);
  void Evaluate(std::int64_t wanted);

  mutable std::mutex mutex_;
  const std::string directory_;
  const std::string path_;
  bool tried_file_ = false;
  std::shared_ptr<QuantileTableFile> file_;  // the mapped table, while in use
  std::shared_ptr<const double> entries_;    // the table in use (file or memory)
  std::int64_t count_ = 0;                   // its sound entries
  std::int64_t evaluated_ = 0;
};

// The process's table for at least k = 1 ... maxDegrees.
ChiSquareQuantiles ChiSquareQuantilesUpTo(std::int64_t maxDegrees);

}  // namespace corvane
