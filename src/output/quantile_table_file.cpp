#include "output/quantile_table_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/regular_file.h"

namespace corvane {
namespace {

constexpr char kMagic[8] = {'C', 'R', 'V', 'Q', 'U', 'A', 'N', 'T'};
constexpr std::uint32_t kByteOrderMark = 0x01020304;
constexpr std::size_t kHeaderBytes = 64;
constexpr std::size_t kEntryBytes = 2 * sizeof(double);

struct Header {
  char magic[8];
  std::uint32_t formatVersion;
  std::uint32_t byteOrder;
  std::uint32_t algorithmVersion;
  std::uint32_t blockEntries;
  std::uint64_t count;
  std::uint64_t checksum;
  std::uint8_t reserved[24];
};
static_assert(sizeof(Header) == kHeaderBytes);

std::int64_t BlocksOf(std::int64_t count) {
  return (count + kQuantileBlockEntries - 1) / kQuantileBlockEntries;
}

// The checksum of the header (with its checksum field taken as 0) and the
// block checksums.
std::uint64_t HeaderChecksum(Header header, const std::uint64_t* blockSums, std::int64_t blocks) {
  header.checksum = 0;
  const std::uint64_t head = QuantileChecksum(&header, sizeof header);
  const std::uint64_t sums =
      QuantileChecksum(blockSums, static_cast<std::size_t>(blocks) * sizeof(std::uint64_t));
  return QuantileChecksum(&head, sizeof head) ^ (sums * 0x9E3779B97F4A7C15ULL);
}

std::uint64_t BlockChecksum(const double* entries, std::int64_t count, std::int64_t block) {
  const std::int64_t first = block * kQuantileBlockEntries;
  const std::int64_t last = std::min(count, first + kQuantileBlockEntries);
  return QuantileChecksum(entries + 2 * first,
                          static_cast<std::size_t>(last - first) * kEntryBytes);
}

bool Problem(std::string* problem, const char* text) {
  if (problem != nullptr) *problem = text;
  return false;
}

bool WriteAll(int fd, const void* data, std::size_t bytes) {
  const char* next = static_cast<const char*>(data);
  while (bytes > 0) {
    const ssize_t put = write(fd, next, bytes);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    next += put;
    bytes -= static_cast<std::size_t>(put);
  }
  return true;
}

}  // namespace

std::uint64_t QuantileChecksum(const void* data, std::size_t bytes) {
  const auto* bytes_in = static_cast<const unsigned char*>(data);
  std::uint64_t hash = 0x243F6A8885A308D3ULL ^ bytes;
  for (std::size_t i = 0; i + sizeof(std::uint64_t) <= bytes; i += sizeof(std::uint64_t)) {
    std::uint64_t word;
    std::memcpy(&word, bytes_in + i, sizeof word);
    hash ^= word * 0x87C37B91114253D5ULL;
    hash = ((hash << 31) | (hash >> 33)) * 0x4CF5AD432745937FULL;
  }
  hash ^= hash >> 33;
  hash *= 0xFF51AFD7ED558CCDULL;
  hash ^= hash >> 33;
  return hash;
}

std::unique_ptr<QuantileTableFile> QuantileTableFile::Open(const std::string& path,
                                                           std::string* problem) {
  const int fd = OpenRegularFileDescriptor(path);
  if (fd < 0) {
    Problem(problem, "cannot be opened");
    return nullptr;
  }
  struct stat info {};
  Header header{};
  const bool read_header = fstat(fd, &info) == 0 &&
                           static_cast<std::size_t>(info.st_size) >= kHeaderBytes &&
                           pread(fd, &header, sizeof header, 0) == sizeof header;
  if (!read_header) {
    close(fd);
    Problem(problem, "has no header");
    return nullptr;
  }
  const std::int64_t blocks = BlocksOf(
      static_cast<std::int64_t>(std::min<std::uint64_t>(header.count, kMaxQuantileEntries)));
  const std::uint64_t expected_size = kHeaderBytes +
                                      static_cast<std::uint64_t>(blocks) * sizeof(std::uint64_t) +
                                      header.count * kEntryBytes;
  const char* refusal = nullptr;
  if (std::memcmp(header.magic, kMagic, sizeof kMagic) != 0) {
    refusal = "is not a quantile table";
  } else if (header.byteOrder != kByteOrderMark) {
    refusal = "was written on a machine of another byte order";
  } else if (header.formatVersion != kQuantileFileVersion ||
             header.algorithmVersion != kQuantileAlgorithmVersion ||
             header.blockEntries != kQuantileBlockEntries) {
    refusal = "is of another version";
  } else if (header.count == 0 || header.count > kMaxQuantileEntries ||
             static_cast<std::uint64_t>(info.st_size) != expected_size) {
    refusal = "has the wrong size";
  }
  if (refusal != nullptr) {
    close(fd);
    Problem(problem, refusal);
    return nullptr;
  }
  void* map = mmap(nullptr, static_cast<std::size_t>(expected_size), PROT_READ, MAP_PRIVATE, fd, 0);
  close(fd);
  if (map == MAP_FAILED) {
    Problem(problem, "cannot be mapped");
    return nullptr;
  }
  std::unique_ptr<QuantileTableFile> file(new QuantileTableFile());
  file->map_ = map;
  file->size_ = static_cast<std::size_t>(expected_size);
  file->count_ = static_cast<std::int64_t>(header.count);
  file->block_sums_ =
      reinterpret_cast<const std::uint64_t*>(static_cast<const char*>(map) + kHeaderBytes);
  file->entries_ = reinterpret_cast<const double*>(static_cast<const char*>(map) + kHeaderBytes +
                                                   blocks * sizeof(std::uint64_t));
  if (HeaderChecksum(header, file->block_sums_, blocks) != header.checksum) {
    Problem(problem, "has a damaged header");
    return nullptr;
  }
  return file;
}

QuantileTableFile::~QuantileTableFile() {
  if (map_ != nullptr) munmap(map_, size_);
}

bool QuantileTableFile::Verify(std::int64_t count) {
  const std::int64_t blocks = BlocksOf(std::min(count, count_));
  for (; verified_blocks_ < blocks; ++verified_blocks_) {
    if (BlockChecksum(entries_, count_, verified_blocks_) != block_sums_[verified_blocks_]) {
      return false;
    }
  }
  return true;
}

bool WriteQuantileTableFile(const std::string& path, const std::vector<double>& entries) {
  const auto count = static_cast<std::int64_t>(entries.size() / 2);
  if (count == 0 || count > kMaxQuantileEntries) return false;
  const std::int64_t blocks = BlocksOf(count);
  std::vector<std::uint64_t> sums(static_cast<std::size_t>(blocks));
  for (std::int64_t b = 0; b < blocks; ++b) {
    sums[static_cast<std::size_t>(b)] = BlockChecksum(entries.data(), count, b);
  }
  Header header{};
  std::memcpy(header.magic, kMagic, sizeof kMagic);
  header.formatVersion = kQuantileFileVersion;
  header.byteOrder = kByteOrderMark;
  header.algorithmVersion = kQuantileAlgorithmVersion;
  header.blockEntries = static_cast<std::uint32_t>(kQuantileBlockEntries);
  header.count = static_cast<std::uint64_t>(count);
  header.checksum = HeaderChecksum(header, sums.data(), blocks);

  std::string pending = path + ".XXXXXX";
  const int fd = mkstemp(pending.data());
  if (fd < 0) return false;
  // mkstemp makes the file private; the table holds nothing that needs to be.
  bool ok = fchmod(fd, 0644) == 0 && WriteAll(fd, &header, sizeof header) &&
            WriteAll(fd, sums.data(), sums.size() * sizeof(std::uint64_t)) &&
            WriteAll(fd, entries.data(), static_cast<std::size_t>(count) * kEntryBytes);
  ok = close(fd) == 0 && ok;
  if (ok) ok = std::rename(pending.c_str(), path.c_str()) == 0;
  if (!ok) std::remove(pending.c_str());
  return ok;
}

}  // namespace corvane
