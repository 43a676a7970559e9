// The file that keeps the table of chi-square quantiles between processes,
// so that a new process reads them instead of evaluating them again.
//
// Layout (every field in the byte order of the machine that wrote it; the
// byte-order mark tells a file from another kind of machine):
//   offset  0  magic "CRVQUANT"
//           8  u32 format version (kQuantileFileVersion)
//          12  u32 byte-order mark 0x01020304
//          16  u32 algorithm version (kQuantileAlgorithmVersion)
//          20  u32 entries per block (kQuantileBlockEntries)
//          24  u64 entry count n
//          32  u64 checksum of bytes 0 ... 31 and of the block checksums
//          40  24 zero bytes
//          64  u64 checksum of each block, ceil(n / entries per block) of them
//   then the n entries, for k = 1 ... n: two doubles, the median and the
//   lower 0.05 point of the chi-square distribution with k degrees of freedom.
//
// QuantileTableFile::Open maps a file read-only once its size, header and
// block checksum list are sound; the contents of the blocks are checked only
// when they are asked for (Verify), so a process that needs a day's worth of
// a month's table touches only that day's pages.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

inline constexpr std::uint32_t kQuantileFileVersion = 1;
// Raise whenever the numerics behind x_from_p_k change, so that no table of
// the old values is taken for the new.
inline constexpr std::uint32_t kQuantileAlgorithmVersion = 1;
inline constexpr std::int64_t kQuantileBlockEntries = 8192;
// No run needs more degrees of freedom than a table sample count can hold.
inline constexpr std::int64_t kMaxQuantileEntries = std::int64_t{1} << 31;

// The 64-bit checksum of the files (bytes: a multiple of 8).
std::uint64_t QuantileChecksum(const void* data, std::size_t bytes);

class QuantileTableFile {
 public:
  // Maps the regular file at path. nullptr when it is missing or is not a
  // sound table file of this version (problem, when given, says why).
  static std::unique_ptr<QuantileTableFile> Open(const std::string& path,
                                                 std::string* problem = nullptr);
  ~QuantileTableFile();
  QuantileTableFile(const QuantileTableFile&) = delete;
  QuantileTableFile& operator=(const QuantileTableFile&) = delete;

  std::int64_t count() const { return count_; }
  // 2 x count() doubles: entry k - 1 is (median, lower 0.05 point) of k.
  const double* entries() const { return entries_; }

  // True when every block that holds one of the first `count` entries (at
  // most count()) matches its checksum. Each block is checked once; not
  // thread-safe.
  bool Verify(std::int64_t count);

 private:
  QuantileTableFile() = default;

  void* map_ = nullptr;
  std::size_t size_ = 0;
  std::int64_t count_ = 0;
  const std::uint64_t* block_sums_ = nullptr;
  const double* entries_ = nullptr;
  std::int64_t verified_blocks_ = 0;  // blocks 0 ... verified_blocks_ - 1 are sound
};

// Writes the table (2 doubles per entry) to path: under a pending name in the
// same directory, renamed into place once complete, so that a reader never
// sees half a file. False when it could not be written (nothing is left
// behind then).
bool WriteQuantileTableFile(const std::string& path, const std::vector<double>& entries);

}  // namespace corvane
