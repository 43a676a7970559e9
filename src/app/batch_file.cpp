#include "app/batch_file.h"

#include <cctype>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>

#include "app/field_exchange.h"
#include "app/request_checks.h"
#include "app/request_values.h"
#include "core/c_format.h"
#include "core/regular_file.h"
#include "output/plot_picture.h"
#include "stats/dft_files.h"
#include "stats/interval_comparison.h"
#include "stats/smoothing_settings.h"

namespace corvane {

namespace {

constexpr size_t kMaxPathLength = 199;
constexpr size_t kMaxNameLength = 99;
constexpr size_t kMaxTimeLength = 39;

const char* const kRecordMessage = "Invalid batch file record:\n";
const char* const kTooLong = "A number in a batch file is at most 256 characters long.";

// Lines may be of any length, but only what reading can use is kept, so a
// huge line costs no memory: the first kKeptWords words, each cut after
// kMaxWordLength + 1 characters (longer than every field, so a cut word is
// still refused as too long), and the line's first kMaxShownLength
// characters for messages.
constexpr size_t kKeptWords = 16;
constexpr size_t kMaxWordLength = 256;
constexpr size_t kMaxShownLength = 4096;

struct Line {
  std::string shown;  // the line without its line end ("..." when cut)
  std::vector<std::string> words;
  size_t length = 0;  // characters before the line end
  bool comment = false;
};

bool IsSpace(int c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

std::optional<Line> ReadLine(std::FILE* file) {
  int c = std::getc(file);
  if (c == EOF) return std::nullopt;
  Line line;
  line.comment = c == '#';
  bool inWord = false;
  std::string* word = nullptr;  // the word being read, when it is kept
  bool endsWithCr = false;
  for (; c != EOF && c != '\n'; c = std::getc(file)) {
    ++line.length;
    endsWithCr = c == '\r';
    if (line.shown.size() < kMaxShownLength) line.shown.push_back(static_cast<char>(c));
    if (line.comment) continue;
    if (IsSpace(c)) {
      inWord = false;
      continue;
    }
    if (!inWord) {
      inWord = true;
      word = nullptr;
      if (line.words.size() < kKeptWords) word = &line.words.emplace_back();
    }
    if (word != nullptr && word->size() <= kMaxWordLength) word->push_back(static_cast<char>(c));
  }
  // A CR before the LF belongs to the line end.
  if (endsWithCr) {
    --line.length;
    if (line.shown.size() > line.length) line.shown.pop_back();
  }
  if (line.length > line.shown.size()) line.shown += "...";
  return line;
}

bool IsKeyword(const std::string& word) {
  static const char* const kKeywords[] = {
      "DataDirectory",   "LocalEggFile",    "SubgroupFile",        "ForceRemoteAccess",
      "SaveRemoteInput", "AudioOutput",     "DFTOutput",           "CompareIntervals",
      "Resolution",      "EventEchoDetect", "SmoothingWindowSize", "SmoothingWindowType",
      "ExpFilterCoeff",  "PlotPictures"};
  for (const char* keyword : kKeywords) {
    if (word == keyword) return true;
  }
  return false;
}

// Reads one file into items; see the header for the rules.
class BatchFileReader {
 public:
  explicit BatchFileReader(BatchFile& result) : result_(result) {}

  // Handles one line; false when reading stops. Comments and blank lines
  // are skipped whatever their length.
  bool Handle(const Line& line) {
    // The length rules count the line end.
    const size_t length = line.length + 1;
    if (length < 10 || line.comment || line.words.empty()) return true;
    if (!collecting_ && !BeginItem()) return false;
    if (IsKeyword(line.words[0])) return Keyword(line.words, line.shown);
    return Record(line.words, line.shown, length);
  }

 private:
  bool Refuse(const std::string& message) {
    result_.messages.push_back(message);
    return false;
  }

  bool RefuseLine(const std::string& line, const std::string& reason) {
    return Refuse("Invalid batch file line:\n" + line + "\n" + reason);
  }

  bool BeginItem() {
    if (result_.items.size() >= static_cast<size_t>(kMaxBatchItems)) {
      return Refuse("Only the first 5000 batch items will be processed");
    }
    item_ = result_.form;
    item_.localEggFile.clear();
    item_.dataName.clear();
    item_.startTime.clear();
    item_.stopTime.clear();
    item_.eventTime.clear();
    item_.eventDuration = 0.0;
    collecting_ = true;
    return true;
  }

  // Argument readers: true when the argument is absent (nothing changes) or
  // valid (stored); false after refusing the line.
  bool Text(const std::vector<std::string>& words, size_t index, const std::string& line,
            std::string& value) {
    if (index >= words.size()) return true;
    if (words[index].size() > kMaxPathLength) {
      return RefuseLine(line, "Texts in batch files are at most 199 characters long.");
    }
    value = words[index];
    return true;
  }

  bool Integer(const std::vector<std::string>& words, size_t index, const std::string& line,
               int& value) {
    if (index >= words.size()) return true;
    if (words[index].size() > kMaxWordLength) return RefuseLine(line, kTooLong);
    const std::optional<int> number = IntegerFromField(words[index]);
    if (!number) return RefuseLine(line, "\"" + words[index] + "\" is not a whole number.");
    value = *number;
    return true;
  }

  bool Flag(const std::vector<std::string>& words, size_t index, const std::string& line,
            bool& value) {
    if (index >= words.size()) return true;
    if (words[index] != "0" && words[index] != "1") {
      return RefuseLine(line, "\"" + words[index] + "\" is not 0 or 1.");
    }
    value = words[index] == "1";
    return true;
  }

  bool Check(const Refusal& refusal, const std::string& line) {
    return !refusal || RefuseLine(line, *refusal);
  }

  // Applies a keyword line to the item and (except LocalEggFile) to the
  // form's values.
  bool Keyword(const std::vector<std::string>& words, const std::string& line) {
    BatchItem& item = item_;
    const std::string& keyword = words[0];
    bool ok = true;
    if (keyword == "LocalEggFile") return Text(words, 1, line, item.localEggFile);
    if (keyword == "DataDirectory") {
      ok = Text(words, 1, line, item.outputRoot);
    } else if (keyword == "SubgroupFile") {
      // "-" clears a subgroup file carried over from earlier items.
      ok = Text(words, 1, line, item.eggGroupFile);
      if (item.eggGroupFile == "-") item.eggGroupFile.clear();
    } else if (keyword == "ForceRemoteAccess") {
      ok = Flag(words, 1, line, item.forceRemoteAccess);
    } else if (keyword == "SaveRemoteInput") {
      ok = Flag(words, 1, line, item.saveRemoteInput) &&
           Flag(words, 2, line, item.saveCompressed) &&
           Text(words, 3, line, item.remoteSaveDirectory);
    } else if (keyword == "AudioOutput") {
      ok = Flag(words, 1, line, item.audioOutput);
    } else if (keyword == "DFTOutput") {
      ok = Flag(words, 1, line, item.dft) && Integer(words, 2, line, item.dftSize) &&
           (!item.dft || Check(DftSizeError(ReducedDftSize(item.dftSize)), line));
    } else if (keyword == "CompareIntervals") {
      ok = Flag(words, 1, line, item.compareIntervals) &&
           Integer(words, 2, line, item.interval1Start) &&
           Integer(words, 3, line, item.interval2Start) &&
           Integer(words, 4, line, item.intervalDuration) &&
           (!item.compareIntervals ||
            Check(IntervalSettingsError(item.interval1Start, item.interval2Start,
                                        item.intervalDuration),
                  line));
    } else if (keyword == "Resolution") {
      ok =
          Integer(words, 1, line, item.resolution) && Check(CheckResolution(item.resolution), line);
    } else if (keyword == "EventEchoDetect") {
      ok = Integer(words, 1, line, item.echoMethod) &&
           Integer(words, 2, line, item.displayVariable) &&
           Check(CheckEchoMethod(item.echoMethod), line) &&
           Check(CheckDisplayVariable(item.displayVariable), line);
    } else if (keyword == "SmoothingWindowSize") {
      ok = Integer(words, 1, line, item.smoothWindowSize);
    } else if (keyword == "SmoothingWindowType") {
      ok = Integer(words, 1, line, item.smoothWindowType);
    } else if (keyword == "PlotPictures" && words.size() > 1) {
      const std::optional<PictureFormat> format = PictureFormatFromName(words[1]);
      if (!format) {
        return RefuseLine(line, "\"" + words[1] + "\" is not none, png, svg or pdf.");
      }
      item.plotPictures = *format;
    } else if (keyword == "ExpFilterCoeff" && words.size() > 1) {
      if (words[1].size() > kMaxWordLength) return RefuseLine(line, kTooLong);
      const std::optional<double> value = ParseDouble(words[1]);
      if (!value) return RefuseLine(line, "\"" + words[1] + "\" is not a number.");
      item.expCoeff = *value;
    }
    if (ok && (keyword.rfind("Smoothing", 0) == 0 || keyword == "ExpFilterCoeff")) {
      // The smoothing values are checked together, for the mode in force.
      ok =
          Check(SmoothingSettingsError(item.smoothWindowType, item.smoothWindowSize, item.expCoeff),
                line);
    }
    if (!ok) return false;
    // Later items start from the form's values, so they inherit the keyword;
    // the form keeps its own record texts and local egg file.
    BatchItem& form = result_.form;
    BatchItem kept = form;
    form = item;
    form.localEggFile = kept.localEggFile;
    form.dataName = kept.dataName;
    form.startTime = kept.startTime;
    form.stopTime = kept.stopTime;
    form.eventTime = kept.eventTime;
    form.eventDuration = kept.eventDuration;
    form.remoteAccess = kept.remoteAccess;
    return true;
  }

  bool Record(const std::vector<std::string>& words, const std::string& line, size_t length) {
    if (length <= 40) return Refuse(kRecordMessage + line);
    auto word = [&words](size_t index) { return index < words.size() ? words[index] : ""; };
    const std::string startDate = word(1);
    for (size_t i = 0; i < startDate.size() && i < 4; ++i) {
      if (std::isalpha(static_cast<unsigned char>(startDate[i]))) {
        return Refuse(kRecordMessage + line);
      }
    }
    auto joined = [&word](size_t index) { return word(index) + " " + word(index + 1); };
    const std::string start = joined(1);
    const std::string stop = joined(3);
    const std::string event = words.size() > 5 ? joined(5) : std::string();
    if (words[0].size() > kMaxNameLength || start.size() > kMaxTimeLength ||
        stop.size() > kMaxTimeLength || event.size() > kMaxTimeLength) {
      return Refuse(kRecordMessage + line);
    }
    double hours = 0.0;
    if (words.size() > 7) {
      if (words[7].size() > kMaxWordLength) return Refuse(kRecordMessage + line);
      const std::optional<double> value = ParseDouble(words[7]);
      if (!value) return Refuse(kRecordMessage + line);
      hours = *value;
    }
    item_.dataName = words[0];
    item_.startTime = start;
    item_.stopTime = stop;
    item_.eventTime = event;
    item_.eventDuration = hours;
    if (!item_.forceRemoteAccess && !item_.localEggFile.empty()) item_.remoteAccess = false;
    result_.form.dataName = item_.dataName;
    result_.form.startTime = start;
    result_.form.stopTime = stop;
    result_.form.eventTime = event;
    result_.form.eventDuration = hours;
    result_.items.push_back(item_);
    collecting_ = false;
    return true;
  }

  BatchFile& result_;
  BatchItem item_;
  bool collecting_ = false;
};

}  // namespace

BatchFile ReadBatchFile(const std::string& path, const BatchItem& form) {
  BatchFile result;
  result.form = form;
  std::string not_regular;
  const StdioFile file = OpenRegularFile(path, &not_regular);
  if (!file) {
    result.messages.push_back("Cannot open the batch file " + path +
                              (not_regular.empty() ? "" : ": " + not_regular));
    return result;
  }
  result.opened = true;

  // A new batch begins from a cleared request.
  BatchItem& start = result.form;
  start.dataName.clear();
  start.outputRoot.clear();
  start.eggGroupFile.clear();
  start.eventTime.clear();
  start.localEggFile.clear();
  start.remoteAccess = true;
  start.compareIntervals = false;
  start.echoMethod = 0;
  start.forceRemoteAccess = false;
  start.saveRemoteInput = false;

  try {
    result.items.reserve(kMaxBatchItems);
  } catch (const std::bad_alloc&) {
    result.messages.push_back("Failed to allocate memory for batch data");
    return result;
  }

  BatchFileReader reader(result);
  while (const std::optional<Line> line = ReadLine(file.get())) {
    if (!reader.Handle(*line)) break;
  }
  result.count = static_cast<int>(result.items.size());
  return result;
}

}  // namespace corvane
