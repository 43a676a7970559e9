#include "dataserver/day_source.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

#include <sys/stat.h>
#include <zlib.h>

#include "core/date_time.h"
#include "core/paths.h"
#include "dataserver/egg_day_cut.h"
#include "eggdata/egg_data_generator.h"

namespace corvane::dataserver {
namespace {

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Path, size and modification time of a regular file; empty when there is
// none.
std::string FileVersion(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
  return path + ":" + std::to_string(info.st_size) + ":" + std::to_string(info.st_mtim.tv_sec) +
         "." + std::to_string(info.st_mtim.tv_nsec);
}

std::optional<std::string> ReadPlain(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return text.str();
}

// The whole decompressed stream, or nullopt for a damaged or truncated one.
std::optional<std::string> ReadCompressed(const std::string& path) {
  gzFile file = gzopen(path.c_str(), "rb");
  if (file == nullptr) return std::nullopt;
  std::string text;
  char buffer[1 << 16];
  int count = 0;
  while ((count = gzread(file, buffer, sizeof buffer)) > 0) {
    text.append(buffer, static_cast<size_t>(count));
  }
  const bool ok = count == 0 && gzclose_r(file) == Z_OK;
  if (count < 0) gzclose_r(file);
  if (!ok) return std::nullopt;
  return text;
}

DayAnswer Broken(const std::string& path, const std::string& reason) {
  DayAnswer answer;
  answer.kind = DayAnswer::kBroken;
  answer.error = path + ": " + reason;
  return answer;
}

}  // namespace

DirectoryDaySource::DirectoryDaySource(std::string directory)
    : directory_(WithSeparator(std::move(directory))) {}

std::string DirectoryDaySource::PlainPath(std::int64_t dayStart) const {
  return directory_ + DateTime(dayStart).DateText() + ".csv";
}

std::string DirectoryDaySource::CompressedPath(std::int64_t dayStart) const {
  return PlainPath(dayStart) + ".gz";
}

DayAnswer DirectoryDaySource::Day(std::int64_t dayStart, std::int64_t from, std::int64_t to) const {
  std::string path = PlainPath(dayStart);
  std::optional<std::string> text;
  if (IsRegularFile(path)) {
    text = ReadPlain(path);
    if (!text) return Broken(path, "cannot be read");
  } else {
    path = CompressedPath(dayStart);
    if (!IsRegularFile(path)) return DayAnswer{};
    text = ReadCompressed(path);
    if (!text) return Broken(path, "is not a complete gzip stream");
  }
  std::string error;
  std::optional<std::string> cut = CutEggData(*text, from, to, &error);
  if (!cut) return Broken(path, "not an egg data file: " + error);
  DayAnswer answer;
  answer.kind = DayAnswer::kData;
  answer.text = std::move(*cut);
  return answer;
}

std::string DirectoryDaySource::Version(std::int64_t dayStart) const {
  return FileVersion(PlainPath(dayStart)) + "|" + FileVersion(CompressedPath(dayStart));
}

std::string SyntheticDaySource::Version(std::int64_t) const {
  return "synthetic:" + std::to_string(egg_count_) + ":" + std::to_string(seed_);
}

DayAnswer SyntheticDaySource::Day(std::int64_t, std::int64_t from, std::int64_t to) const {
  eggdata::EggDataOptions options;
  options.start = from;
  options.stop = to;
  options.eggCount = egg_count_;
  options.seed = seed_;
  DayAnswer answer;
  answer.kind = DayAnswer::kData;
  answer.text = eggdata::GenerateEggData(options);
  return answer;
}

}  // namespace corvane::dataserver
