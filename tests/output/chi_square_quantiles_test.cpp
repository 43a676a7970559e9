// The quantile table kept between processes: its values are those of
// evaluating each degree in turn, bit for bit, and a file that is damaged,
// foreign, of another version or of other numerics is never used.
#include "output/chi_square_quantiles.h"

#include <cmath>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "output/quantile_table_file.h"
#include "prob/chi_square_distribution.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

constexpr std::int64_t kBlock = kQuantileBlockEntries;

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The table's entries for the degrees given agree bit for bit with fresh
// evaluations.
void ExpectEvaluated(const ChiSquareQuantiles& table, const std::vector<std::int64_t>& degrees) {
  for (const std::int64_t k : degrees) {
    ASSERT_LE(k, table.size());
    const auto x = static_cast<double>(k);
    EXPECT_TRUE(SameBits(table.Median(k), chiSquareDistribution::x_from_p_k(0.5, x))) << k;
    EXPECT_TRUE(SameBits(table.LowerFive(k), chiSquareDistribution::x_from_p_k(0.05, x))) << k;
  }
}

std::vector<std::int64_t> Range(std::int64_t first, std::int64_t last, std::int64_t step = 1) {
  std::vector<std::int64_t> degrees;
  for (std::int64_t k = first; k <= last; k += step) degrees.push_back(k);
  return degrees;
}

// A file that Open takes and whose every block is sound, holding count entries.
bool SoundFile(const std::string& path, std::int64_t count) {
  auto file = QuantileTableFile::Open(path);
  return file != nullptr && file->count() == count && file->Verify(count);
}

TEST(ChiSquareQuantilesTest, AStoredTableIsReadBackBitForBitAndExtendedByBlocks) {
  TempDir dir;
  const std::string folder = dir.File("cache/corvane/");  // neither level exists yet
  {
    QuantileStore store(folder);
    const ChiSquareQuantiles table = store.UpTo(kBlock + 1);
    EXPECT_EQ(table.size(), 2 * kBlock);  // whole blocks
    EXPECT_EQ(store.EvaluatedDegrees(), 2 * kBlock);
    EXPECT_TRUE(SoundFile(store.path(), 2 * kBlock));
  }
  // A new store (a new process) reads the table and evaluates nothing; every
  // value is the one a fresh evaluation gives.
  QuantileStore again(folder);
  const ChiSquareQuantiles read = again.UpTo(2 * kBlock);
  EXPECT_EQ(again.EvaluatedDegrees(), 0);
  ExpectEvaluated(read, Range(1, 2 * kBlock));
  EXPECT_EQ(read.size(), 2 * kBlock);

  // Asking for more evaluates only the missing block and stores the longer
  // table; the view taken before stays valid.
  const ChiSquareQuantiles longer = again.UpTo(2 * kBlock + 5);
  EXPECT_EQ(again.EvaluatedDegrees(), kBlock);
  ExpectEvaluated(longer, Range(2 * kBlock - 2, 2 * kBlock + 3));
  ExpectEvaluated(read, {1, 2 * kBlock});
  EXPECT_TRUE(SoundFile(again.path(), 3 * kBlock));
  QuantileStore third(folder);
  ExpectEvaluated(third.UpTo(3 * kBlock), Range(1, 3 * kBlock, 997));
  EXPECT_EQ(third.EvaluatedDegrees(), 0);

  // Only the blocks a run asks for are checked: damage further on is found
  // when a longer run reaches it.
  std::string bytes = ReadFile(third.path());
  bytes[64 + 3 * 8 + 16 * (2 * kBlock + 100) + 2] ^= 0x01;  // the median of 2 kBlock + 101
  WriteFile(third.path(), bytes);
  QuantileStore fourth(folder);
  ExpectEvaluated(fourth.UpTo(kBlock), {1, kBlock});
  EXPECT_EQ(fourth.EvaluatedDegrees(), 0);
  ExpectEvaluated(fourth.UpTo(2 * kBlock + 1), {2 * kBlock + 1, 2 * kBlock + 101});
  EXPECT_GT(fourth.EvaluatedDegrees(), 0);
  EXPECT_TRUE(SoundFile(fourth.path(), 3 * kBlock));

  // Without a folder, or with one that cannot be made, the table lives in
  // memory with the same values: a cache that cannot be written costs time,
  // never a result.
  WriteFile(dir.File("plain"), "a file, not a folder");
  for (const std::string& where : {std::string(), dir.File("plain/corvane/")}) {
    QuantileStore memory(where);
    ExpectEvaluated(memory.UpTo(100), Range(1, 100));
    ExpectEvaluated(memory.UpTo(kBlock + 2), {1, kBlock + 2});
    EXPECT_EQ(memory.EvaluatedDegrees(), 2 * kBlock);  // nothing twice
  }
  EXPECT_EQ(ReadFile(dir.File("plain")), "a file, not a folder");
}

TEST(ChiSquareQuantilesTest, DamagedForeignAndOtherVersionFilesAreDetectedAndReplaced) {
  TempDir dir;
  QuantileStore original(dir.path());
  original.UpTo(2 * kBlock);
  const std::string sound = ReadFile(original.path());
  ASSERT_FALSE(sound.empty());
  const size_t entries_at = 64 + 2 * 8;  // header, two block checksums
  auto poked = [&](size_t offset) {
    std::string bytes = sound;
    bytes[offset] = static_cast<char>(bytes[offset] ^ 0x10);
    return bytes;
  };
  // The numerics of another program: sound checksums, other values.
  std::vector<double> other(static_cast<size_t>(4 * kBlock));
  std::memcpy(other.data(), sound.data() + entries_at, other.size() * sizeof(double));
  other[2 * kBlock] = std::nextafter(other[2 * kBlock], 1e300);  // the median of kBlock + 1
  const std::string numerics = dir.File("numerics");
  ASSERT_TRUE(WriteQuantileTableFile(numerics, other));
  ASSERT_NE(QuantileTableFile::Open(numerics), nullptr);

  const struct {
    const char* what;
    std::string bytes;
    const char* problem;  // what Open says, or "" when only the blocks or values tell
    bool rebuild;         // also have a store replace it (each costs a whole table)
  } cases[] = {
      {"a value in the last block", poked(entries_at + 16 * (kBlock + 7)), "", true},
      {"a value in the first block", poked(entries_at + 3), "", false},
      {"the format version", poked(8), "is of another version", true},
      {"the algorithm version", poked(16), "is of another version", false},
      {"the entry count", poked(24), "has the wrong size", false},
      {"a block checksum", poked(64 + 8), "has a damaged header", false},
      {"the byte order", poked(12), "was written on a machine of another byte order", false},
      {"a cut file", sound.substr(0, sound.size() - 8), "has the wrong size", true},
      {"a header alone", sound.substr(0, 64), "has the wrong size", false},
      {"a short file", sound.substr(0, 20), "has no header", false},
      {"an empty file", "", "has no header", false},
      {"foreign bytes", std::string(sound.size(), 'x'), "is not a quantile table", true},
      {"other numerics", ReadFile(numerics), "", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile(original.path(), c.bytes);
    std::string problem;
    auto file = QuantileTableFile::Open(original.path(), &problem);
    EXPECT_EQ(file != nullptr, std::string(c.problem).empty());
    if (file == nullptr) {
      EXPECT_EQ(problem, c.problem);
    } else if (std::string(c.what) != "other numerics") {
      EXPECT_FALSE(file->Verify(2 * kBlock));
    }
    if (!c.rebuild) continue;
    QuantileStore store(dir.path());
    const ChiSquareQuantiles table = store.UpTo(2 * kBlock);
    EXPECT_GT(store.EvaluatedDegrees(), 0);
    ExpectEvaluated(table, {1, 2, kBlock + 1, kBlock + 8, 2 * kBlock});
    EXPECT_TRUE(ReadFile(original.path()) == sound);  // replaced by a sound table
  }
}

TEST(ChiSquareQuantilesTest, ManyThreadsAskingAtOnceGetTheSameValues) {
  TempDir dir;
  QuantileStore store(dir.path());
  std::vector<ChiSquareQuantiles> tables(6);
  std::vector<std::thread> threads;
  for (size_t t = 0; t < tables.size(); ++t) {
    threads.emplace_back(
        [&, t] { tables[t] = store.UpTo(1 + static_cast<std::int64_t>(t) * 4000); });
  }
  for (std::thread& thread : threads) thread.join();
  for (size_t t = 0; t < tables.size(); ++t) {
    ExpectEvaluated(tables[t], {1, 1 + static_cast<std::int64_t>(t) * 4000});
  }
  EXPECT_EQ(store.EvaluatedDegrees(), 3 * kBlock);
}

}  // namespace
}  // namespace corvane
