// corvane-eggdata: writes synthetic egg data files (see --help).
#include <algorithm>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/c_format.h"
#include "core/date_time.h"
#include "eggdata/egg_data_generator.h"

namespace {

using corvane::eggdata::EggDataOptions;

constexpr const char* kUsage =
    "Usage: corvane-eggdata --start TIME --stop TIME --out PATH [options]\n"
    "\n"
    "Writes synthetic egg data: one record per second from the start to the stop\n"
    "(both inclusive) in the egg data file format. Values are deterministic: the\n"
    "same seed, egg and second always give the same value.\n"
    "\n"
    "  --start TIME        first record, \"yyyy-mm-dd hh:mm:ss\" (or \"yyyy-mm-dd\" for 00:00:00)\n"
    "  --stop TIME         last record (\"yyyy-mm-dd\" alone means 23:59:59)\n"
    "  --date DATE         the whole calendar date (same as --start DATE --stop DATE)\n"
    "  --out PATH          file to write (the first file with --days)\n"
    "  --days              one file per calendar date: PATH, then B_2E, B_3E, ... where E\n"
    "                      is PATH's extension and B the text before it\n"
    "  --gzip              write gzip-compressed files\n"
    "  --eggs N            number of eggs (default 60)\n"
    "  --first-id ID       id of the first egg; the others follow (default 1001)\n"
    "  --ids A,B,...       explicit egg ids (overrides --eggs and --first-id)\n"
    "  --absent A,B,...    ids left out of the file\n"
    "  --trial-size BITS   bits summed per trial (default 200)\n"
    "  --seed N            random seed (default 1)\n"
    "  --missing F         fraction 0..1 of values written as empty fields\n"
    "  --shift D           add D to the mean of the trials in the shift window\n"
    "  --shift-start TIME  first second of the shift window (default: the start)\n"
    "  --shift-stop TIME   last second of the shift window (default: the stop)\n"
    "  --shift-eggs A,...  eggs that are shifted (default: all)\n"
    "  --crlf              end lines with CR LF\n"
    "  --help              show this text\n";

struct Arguments {
  EggDataOptions options;
  std::string out;
  bool days = false;
  bool gzip = false;
};

std::int64_t ParseTime(const std::string& text, bool endOfDay) {
  std::string full = text;
  if (full.size() == 10) full += endOfDay ? " 23:59:59" : " 00:00:00";
  return corvane::SecondsFromText(full);
}

std::vector<int> ParseIds(const std::string& text) {
  std::vector<int> ids;
  size_t begin = 0;
  while (begin <= text.size()) {
    const size_t end = std::min(text.find(',', begin), text.size());
    const std::optional<long long> id = corvane::ParseInteger(text.substr(begin, end - begin));
    if (!id || *id < 0 || *id > 2147483647LL) {
      throw std::invalid_argument("invalid egg id list: " + text);
    }
    ids.push_back(static_cast<int>(*id));
    begin = end + 1;
  }
  return ids;
}

long long ParseWhole(const std::string& text, long long low, long long high, const char* what) {
  const std::optional<long long> value = corvane::ParseInteger(text);
  if (!value || *value < low || *value > high) {
    throw std::invalid_argument(std::string("invalid ") + what + ": " + text);
  }
  return *value;
}

double ParseReal(const std::string& text, double low, double high, const char* what) {
  const std::optional<double> value = corvane::ParseDouble(text);
  if (!value || *value < low || *value > high) {
    throw std::invalid_argument(std::string("invalid ") + what + ": " + text);
  }
  return *value;
}

// Returns nullopt after printing the usage (for --help).
std::optional<Arguments> ParseArguments(int argc, char** argv) {
  Arguments args;
  std::optional<std::int64_t> start, stop, shiftStart, shiftStop;
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--help" || name == "-h") return std::nullopt;
    if (name == "--days") {
      args.days = true;
      continue;
    }
    if (name == "--gzip") {
      args.gzip = true;
      continue;
    }
    if (name == "--crlf") {
      args.options.crlf = true;
      continue;
    }
    if (i + 1 >= argc) throw std::invalid_argument("missing value after " + name);
    const std::string value = argv[++i];
    EggDataOptions& o = args.options;
    if (name == "--start") {
      start = ParseTime(value, false);
    } else if (name == "--stop") {
      stop = ParseTime(value, true);
    } else if (name == "--date") {
      start = ParseTime(value, false);
      stop = ParseTime(value, true);
    } else if (name == "--out") {
      args.out = value;
    } else if (name == "--eggs") {
      o.eggCount = static_cast<int>(ParseWhole(value, 0, 1000, "egg count"));
    } else if (name == "--first-id") {
      o.firstEggId = static_cast<int>(ParseWhole(value, 0, 1000000000, "egg id"));
    } else if (name == "--ids") {
      o.eggIds = ParseIds(value);
    } else if (name == "--absent") {
      o.absentEggs = ParseIds(value);
    } else if (name == "--trial-size") {
      o.trialSize = static_cast<int>(ParseWhole(value, 1, 1000000, "trial size"));
    } else if (name == "--seed") {
      o.seed = static_cast<std::uint64_t>(ParseWhole(value, 0, 9223372036854775807LL, "seed"));
    } else if (name == "--missing") {
      o.missingFraction = ParseReal(value, 0.0, 1.0, "missing fraction");
    } else if (name == "--shift") {
      o.meanShift = ParseReal(value, -1e6, 1e6, "shift");
    } else if (name == "--shift-start") {
      shiftStart = ParseTime(value, false);
    } else if (name == "--shift-stop") {
      shiftStop = ParseTime(value, true);
    } else if (name == "--shift-eggs") {
      o.shiftEggs = ParseIds(value);
    } else {
      throw std::invalid_argument("unknown option " + name);
    }
  }
  if (!start || !stop) throw std::invalid_argument("--start and --stop (or --date) are required");
  if (*stop < *start) throw std::invalid_argument("the stop lies before the start");
  if (args.out.empty()) throw std::invalid_argument("--out is required");
  args.options.start = *start;
  args.options.stop = *stop;
  args.options.shiftStart = shiftStart.value_or(*start);
  args.options.shiftStop = shiftStop.value_or(*stop);
  return args;
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<Arguments> args;
  try {
    args = ParseArguments(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "corvane-eggdata: %s\n\n%s", error.what(), kUsage);
    return 2;
  }
  if (!args) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (args->days) {
    const std::vector<std::string> paths =
        corvane::eggdata::WriteEggDataDays(args->out, args->options, args->gzip);
    if (paths.empty()) {
      std::fprintf(stderr, "corvane-eggdata: cannot write the files of %s\n", args->out.c_str());
      return 1;
    }
    for (const std::string& path : paths) std::printf("%s\n", path.c_str());
    return 0;
  }
  if (!corvane::eggdata::WriteEggDataFile(args->out, args->options, args->gzip)) {
    std::fprintf(stderr, "corvane-eggdata: cannot write %s\n", args->out.c_str());
    return 1;
  }
  return 0;
}
