#include "output/chi_square_quantiles.h"

#include <sys/stat.h>
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/parallel_for.h"
#include "core/paths.h"
#include "output/quantile_table_file.h"
#include "prob/chi_square_distribution.h"

namespace corvane {
namespace {

constexpr char kTableName[] = "chi-square-quantiles-v1.bin";

void EvaluateEntry(std::int64_t k, double* entry) {
  const auto degrees = static_cast<double>(k);
  entry[0] = chiSquareDistribution::x_from_p_k(0.5, degrees);
  entry[1] = chiSquareDistribution::x_from_p_k(0.05, degrees);
}

// The file's entries from->to agree bit for bit with a fresh evaluation at
// the first degree of each block they touch and at the last one: a table of
// other numerics (an older program's) is never taken for this one's.
bool SpotChecked(const double* entries, std::int64_t from, std::int64_t to) {
  std::vector<std::int64_t> degrees;
  for (std::int64_t k = from + 1; k <= to;
       k = (k - 1) / kQuantileBlockEntries * kQuantileBlockEntries + kQuantileBlockEntries + 1) {
    degrees.push_back(k);
  }
  if (to > from) degrees.push_back(to);
  for (const std::int64_t k : degrees) {
    double fresh[2];
    EvaluateEntry(k, fresh);
    if (std::memcmp(fresh, entries + 2 * (k - 1), sizeof fresh) != 0) return false;
  }
  return true;
}

// Makes the table's folder and, when missing, the cache directory above it
// (private, as cache directories are). Failures show when the table is written.
void MakeCacheDirectory(const std::string& directory) {
  const std::string folder = directory.substr(0, directory.size() - 1);
  const size_t slash = folder.find_last_of('/');
  if (slash != std::string::npos && slash > 0) mkdir(folder.substr(0, slash).c_str(), 0700);
  mkdir(folder.c_str(), 0755);
}

std::int64_t RoundUpToBlock(std::int64_t count) {
  const std::int64_t blocks = (count + kQuantileBlockEntries - 1) / kQuantileBlockEntries;
  return std::min(blocks * kQuantileBlockEntries, kMaxQuantileEntries);
}

}  // namespace

QuantileStore::QuantileStore(const std::string& directory)
    : directory_(WithSeparator(directory)),
      path_(directory.empty() ? std::string() : WithSeparator(directory) + kTableName) {}

QuantileStore::~QuantileStore() = default;

std::int64_t QuantileStore::EvaluatedDegrees() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return evaluated_;
}

ChiSquareQuantiles QuantileStore::UpTo(std::int64_t maxDegrees) {
  if (maxDegrees < 1) return {};
  const std::int64_t wanted = std::min(maxDegrees, kMaxQuantileEntries);
  std::lock_guard<std::mutex> lock(mutex_);
  if (count_ < wanted && !AdoptFile(wanted)) Evaluate(wanted);
  return ChiSquareQuantiles(entries_, count_);
}

// Takes the table file (mapped) when it holds sound entries beyond those in
// use; true when they cover `wanted`.
bool QuantileStore::AdoptFile(std::int64_t wanted) {
  if (path_.empty()) return false;
  if (!tried_file_) {
    tried_file_ = true;
    file_ = QuantileTableFile::Open(path_);
  }
  if (file_ == nullptr || file_->count() <= count_) return false;
  const std::int64_t usable = std::min(file_->count(), wanted);
  if (!file_->Verify(usable) || !SpotChecked(file_->entries(), count_, usable)) {
    file_.reset();  // damaged or foreign: replaced below
    return false;
  }
  entries_ = std::shared_ptr<const double>(file_, file_->entries());
  count_ = usable;
  return count_ >= wanted;
}

// Evaluates the degrees beyond those in use, up to whole blocks past
// `wanted`, keeps the table in memory and writes it to the table file.
void QuantileStore::Evaluate(std::int64_t wanted) {
  const std::int64_t target = RoundUpToBlock(wanted);
  auto table = std::make_shared<std::vector<double>>(static_cast<std::size_t>(2 * target));
  if (count_ > 0) std::copy(entries_.get(), entries_.get() + 2 * count_, table->begin());
  const std::int64_t known = count_;
  double* entries = table->data();
  ParallelFor(target - known, 512, [&](std::int64_t begin, std::int64_t end) {
    for (std::int64_t i = begin; i < end; ++i) {
      const std::int64_t k = known + i + 1;
      EvaluateEntry(k, entries + 2 * (k - 1));
    }
  });
  evaluated_ += target - known;
  if (!path_.empty()) {
    MakeCacheDirectory(directory_);
    WriteQuantileTableFile(path_, *table);
  }
  file_.reset();  // the new file replaces whatever was mapped
  entries_ = std::shared_ptr<const double>(table, table->data());
  count_ = target;
}

ChiSquareQuantiles ChiSquareQuantilesUpTo(std::int64_t maxDegrees) {
  // A thread-safe cache of pure results, shared by every run of the process.
  static QuantileStore store(UserCacheDirectory());
  return store.UpTo(maxDegrees);
}

}  // namespace corvane
