#include "eggdata/egg_data_generator.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>

#include "core/date_time.h"
#include "core/day_segments.h"
#include "core/output_file.h"
#include "core/paths.h"
#include "eggdata/gzip_bytes.h"

namespace corvane::eggdata {
namespace {

std::uint64_t SplitMix(std::uint64_t x) {
  x += 0x9e3779b97f4a7c15ULL;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
  return x ^ (x >> 31);
}

// The root of every random draw of one egg at one second.
std::uint64_t CellKey(std::uint64_t seed, int eggId, std::int64_t second) {
  std::uint64_t h = SplitMix(seed);
  h = SplitMix(h ^ static_cast<std::uint64_t>(static_cast<std::int64_t>(eggId)));
  return SplitMix(h ^ static_cast<std::uint64_t>(second));
}

// A uniform number in [0, 1) from the key and a stream number.
double Uniform(std::uint64_t key, std::uint64_t stream) {
  return static_cast<double>(SplitMix(key ^ (stream * 0xd1b54a32d192ed03ULL)) >> 11) * 0x1.0p-53;
}

// The number of one bits among trialSize fair bits.
int FairBitCount(std::uint64_t key, int trialSize) {
  int count = 0;
  int remaining = trialSize;
  for (std::uint64_t word = 0; remaining > 0; ++word, remaining -= 64) {
    std::uint64_t bits = SplitMix(key + word * 0x9e3779b97f4a7c15ULL);
    if (remaining < 64) bits &= (std::uint64_t{1} << remaining) - 1;
    count += std::popcount(bits);
  }
  return count;
}

bool Contains(const std::vector<int>& ids, int id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

void AppendNumber(std::string& out, std::int64_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

}  // namespace

std::vector<int> FileEggIds(const EggDataOptions& options) {
  std::vector<int> ids = options.eggIds;
  if (ids.empty()) {
    for (int k = 0; k < options.eggCount; ++k) ids.push_back(options.firstEggId + k);
  }
  std::erase_if(ids, [&](int id) { return Contains(options.absentEggs, id); });
  return ids;
}

std::optional<int> EggTrialValue(const EggDataOptions& options, int eggId, std::int64_t second) {
  const std::uint64_t key = CellKey(options.seed, eggId, second);
  if (options.missingFraction > 0.0 && Uniform(key, 1) < options.missingFraction) {
    return std::nullopt;
  }
  int value = FairBitCount(key, options.trialSize);
  const bool shifted = options.meanShift != 0.0 && second >= options.shiftStart &&
                       second <= options.shiftStop &&
                       (options.shiftEggs.empty() || Contains(options.shiftEggs, eggId));
  if (shifted) {
    const double whole = std::floor(options.meanShift);
    const double fraction = options.meanShift - whole;
    value += static_cast<int>(whole) + (Uniform(key, 2) < fraction ? 1 : 0);
    value = std::clamp(value, 0, options.trialSize);
  }
  return value;
}

std::string GenerateEggData(const EggDataOptions& options) {
  const std::vector<int> ids = FileEggIds(options);
  const std::int64_t records = options.stop >= options.start ? options.stop - options.start + 1 : 0;
  const char* eol = options.crlf ? "\r\n" : "\n";

  std::string out;
  out.reserve(static_cast<size_t>(records) * (40 + 4 * ids.size()) + 64 * ids.size() + 512);
  out += "1,Samples per record,1,Corvane synthetic egg data";
  out += eol;
  out += "10,1,";
  out += DateTime(options.start).DateText();
  out += eol;
  out += "10,4,";
  AppendNumber(out, options.trialSize);
  out += eol;
  out += "11,1,";
  AppendNumber(out, static_cast<std::int64_t>(ids.size()));
  out += eol;
  out += "11,2,1";
  out += eol;
  out += "11,4,";
  AppendNumber(out, options.headerRecordCount.value_or(records));
  out += eol;
  out += "12,gmtime,egg ids";
  for (int id : ids) {
    out += ',';
    AppendNumber(out, id);
  }
  out += eol;

  for (std::int64_t second = options.start; second <= options.stop; ++second) {
    const DateTime time(second);
    out += "13,";
    AppendNumber(out, second);
    out += ',';
    out += time.DateText();
    out += ' ';
    out += time.TimeText();
    for (int id : ids) {
      out += ',';
      if (const std::optional<int> value = EggTrialValue(options, id, second)) {
        AppendNumber(out, *value);
      }
    }
    out += eol;
  }
  return out;
}

bool WriteEggDataFile(const std::string& path, const EggDataOptions& options, bool gzip) {
  std::string bytes = GenerateEggData(options);
  if (gzip) {
    std::optional<std::string> compressed = GzipCompress(bytes);
    if (!compressed) return false;
    bytes = std::move(*compressed);
  }
  OutputFile file;
  if (!file.Open(path, "wb")) return false;
  file.Write(bytes);
  return file.Close();
}

std::string DayFileName(const std::string& firstPath, int dayIndex) {
  if (dayIndex == 0) return firstPath;
  std::string name(WithoutExtension(firstPath));
  name += '_';
  name += std::to_string(dayIndex + 1);
  name += Extension(firstPath);
  return name;
}

std::vector<std::string> WriteEggDataDays(const std::string& firstPath,
                                          const EggDataOptions& options, bool gzip) {
  std::vector<std::string> paths;
  const std::vector<DaySegment> segments = BuildDaySegments(options.start, options.stop);
  for (size_t i = 0; i < segments.size(); ++i) {
    EggDataOptions day = options;
    day.start = SecondsOf(segments[i].start);
    day.stop = SecondsOf(segments[i].end);
    const std::string path = DayFileName(firstPath, static_cast<int>(i));
    if (!WriteEggDataFile(path, day, gzip)) return {};
    paths.push_back(path);
  }
  return paths;
}

}  // namespace corvane::eggdata
