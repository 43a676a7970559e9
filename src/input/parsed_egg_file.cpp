#include "input/parsed_egg_file.h"

#include <algorithm>
#include <string_view>

#include "input/egg_fields.h"

namespace corvane {
namespace {

constexpr long long kDataRecord = 13;
// Lines between two tests of the abort flag.
constexpr std::int64_t kAbortTestLines = 4096;

ParsedTrial Trial(std::string_view field) {
  const int value = TrialValue(field);
  return value < 0 ? ParsedTrial{0} : static_cast<ParsedTrial>(value);
}

// The `count` values of a record from the text after its third field; the
// values past the end of the line are missing. Plain short numbers take a
// quick path; anything else (blanks, signs, empty fields) goes through
// TrialValue, so both give the same value.
void ParseTrials(std::string_view rest, ParsedTrial* out, std::int64_t count) {
  const char* p = rest.data();
  const char* const end = p + rest.size();
  for (std::int64_t j = 0; j < count; ++j) {
    const char* q = p;
    int value = 0;
    int digits = 0;
    while (q < end && digits < 3 && static_cast<unsigned>(*q - '0') < 10) {
      value = value * 10 + (*q - '0');
      ++q;
      ++digits;
    }
    if (digits > 0 && (q == end || *q == ',')) {
      out[j] = value >= kLowestTrialValue && value <= kHighestTrialValue
                   ? static_cast<ParsedTrial>(value)
                   : ParsedTrial{0};
    } else {
      while (q < end && *q != ',') ++q;
      out[j] = Trial(std::string_view(p, static_cast<size_t>(q - p)));
    }
    if (q == end) {  // the line ends here: the rest are missing
      std::fill(out + j + 1, out + count, ParsedTrial{0});
      return;
    }
    p = q + 1;
  }
}

// Room for the records the rest of the text can hold, as far as its size
// tells: a complete record takes at least values + 5 bytes, and a gzip file
// inflates to at most 16 times its size before the vectors have to grow.
std::int64_t ExpectedRecords(const LineReader& reader, std::int64_t announced, int values) {
  const std::int64_t size = reader.Compressed() ? reader.FileSize() * 16 : reader.FileSize();
  const std::int64_t remaining = std::max<std::int64_t>(size - reader.Consumed(), 0);
  return std::min(announced, remaining / (values + 5) + 1);
}

}  // namespace

bool ParseEggFile(LineReader& reader, const RunContext& context, ParsedEggFile& file) {
  file = ParsedEggFile();
  file.headerStatus = ReadEggFileHeader(reader, context, false, file.header);
  if (file.headerStatus == HeaderStatus::kAborted || reader.Failed()) return false;
  if (file.headerStatus != HeaderStatus::kComplete) {
    if (reader.TooLong()) file.longLine = reader.LineCount() + 1;
    return true;
  }
  const int values = static_cast<int>(file.header.eggCount);
  const std::int64_t announced = file.header.recordCount;
  const std::int64_t expected = ExpectedRecords(reader, announced, values);
  file.times.reserve(static_cast<size_t>(expected));
  file.trials.reserve(static_cast<size_t>(expected * values));

  std::string_view line;
  std::string_view field;
  for (std::int64_t r = 0; r < announced; ++r) {
    if (r % kAbortTestLines == 0 && context.Aborted()) return false;
    if (!reader.NextLine(line)) {
      if (reader.Failed()) return false;
      file.end =
          reader.TooLong() ? ParsedEggFile::End::kLineTooLong : ParsedEggFile::End::kOutOfSync;
      if (reader.TooLong()) file.longLine = reader.LineCount() + 1;
      return true;
    }
    FieldCursor cursor(line);
    cursor.Next(field);
    if (FieldInteger(field) != kDataRecord) {
      file.end = ParsedEggFile::End::kOutOfSync;
      return true;
    }
    // A line of one field gives its time stamp from that field, as a
    // cursor that has run out keeps the field it gave last.
    cursor.Next(field);
    file.times.push_back(FieldInteger(field));
    cursor.Skip(1);
    const size_t at = file.trials.size();
    file.trials.resize(at + static_cast<size_t>(values));  // missing, unless parsed below
    if (!cursor.Done()) ParseTrials(cursor.Rest(), file.trials.data() + at, values);
  }
  file.end = ParsedEggFile::End::kComplete;
  return true;
}

}  // namespace corvane
