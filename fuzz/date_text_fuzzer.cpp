// Fuzz target: the date texts of a request (start, stop and event time) on
// their way into a run.
//
// Input: up to three lines, the start, stop and event texts as typed. They
// are completed as the form completes them, parsed, and the range is cut
// into day segments. Checks that a parsed time is a real instant that
// prints and parses back to itself, and that the day segments cover the
// range one calendar date each, and that a parsed time names exactly the
// fields its text gives (so "2011-02-30" or hour 24 are refused, never
// moved to another instant); the token split of the day segments must take
// any text without fault.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "app/time_completion.h"
#include "core/date_time.h"
#include "core/day_segments.h"
#include "fuzz_input.h"

namespace {

using namespace corvane;
using fuzz::Require;

// 9999-12-31 23:59:59, the last instant a date text may name.
constexpr std::int64_t kLastInstant = 253402300799;

// The fields the text gives, read independently with the scan the text
// format was made for: year, month, day, hour, minute, second, each after
// the first behind one separator of any kind; a field not read, or one
// beyond an int and every field after it, keeps its start value.
CalendarFields ScannedFields(const std::string& text) {
  long long values[6] = {1970, 1, 1, 0, 0, 0};
  char separators[5];
  const int items =
      std::sscanf(text.c_str(), "%lld%c%lld%c%lld%c%lld%c%lld%c%lld", &values[0], &separators[0],
                  &values[1], &separators[1], &values[2], &separators[2], &values[3],
                  &separators[3], &values[4], &separators[4], &values[5]);
  const long long starts[6] = {1970, 1, 1, 0, 0, 0};
  bool beyond = false;
  for (int field = 0; field < 6; ++field) {
    const bool read = items > 2 * field;
    beyond = beyond || !read || values[field] > INT_MAX || values[field] < INT_MIN;
    if (beyond) values[field] = starts[field];
  }
  CalendarFields fields;
  fields.year = static_cast<int>(values[0]);
  fields.month = static_cast<int>(values[1]);
  fields.day = static_cast<int>(values[2]);
  fields.hour = static_cast<int>(values[3]);
  fields.minute = static_cast<int>(values[4]);
  fields.second = static_cast<int>(values[5]);
  return fields;
}

bool SameFields(const CalendarFields& a, const CalendarFields& b) { return !CalendarDiffers(a, b); }

std::optional<std::int64_t> Parsed(const std::string& text) {
  std::int64_t seconds = 0;
  try {
    seconds = SecondsFromText(text);
  } catch (const std::invalid_argument& error) {
    Require(std::string_view(error.what()) == "Invalid date format", "the one refusal");
    return std::nullopt;
  }
  Require(seconds >= 0 && seconds <= kLastInstant, "an instant from 1970 to 9999");
  const DateTime value(seconds);
  Require(SecondsFromText(value.DateText() + " " + value.TimeText()) == seconds,
          "a parsed time prints and parses back to itself");
  // The scan reads a C string: it stops at a zero byte, which the parser
  // takes as a separator like any other character.
  if (text.find('\0') == std::string::npos) {
    Require(SameFields(value.ToCalendarFields(), ScannedFields(text)),
            "a parsed time names the fields of its text");
  }
  return seconds;
}

void CheckSegments(std::int64_t start, std::int64_t stop) {
  const std::vector<DaySegment> segments = BuildDaySegments(start, stop);
  if (stop < start) {
    Require(segments.size() == 1, "a reversed range is one segment");
    return;
  }
  const std::int64_t days = DayNumber(stop) - DayNumber(start) + 1;
  if (days > kMaxDaySegments) {
    Require(segments.empty(), "too long a range gives no segment");
    return;
  }
  Require(segments.size() == static_cast<size_t>(days), "one segment per date");
  Require(SameFields(segments.front().start, DateTime(start).ToCalendarFields()),
          "the first segment starts at the start");
  Require(SameFields(segments.back().end, DateTime(stop).ToCalendarFields()),
          "the last segment ends at the stop");
  for (size_t i = 0; i < segments.size(); ++i) {
    const DaySegment& segment = segments[i];
    Require(DayNumber(SecondsOf(segment.start)) == DayNumber(SecondsOf(segment.end)),
            "a segment lies within one date");
    if (i + 1 < segments.size()) {
      CalendarFields next = segment.start;
      NextDayStart(next);
      Require(SameFields(next, segments[i + 1].start), "segments follow date by date");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view rest = fuzz::AsText(data, size);
  std::string texts[3];
  for (std::string& text : texts) {
    const size_t cut = rest.find('\n');
    text = std::string(rest.substr(0, cut));
    rest.remove_prefix(cut == std::string_view::npos ? rest.size() : cut + 1);
  }
  // The day segments' token split takes raw text, whatever it holds.
  CalendarFields fields = ParseCalendarFields(texts[0]);
  NextDayStart(fields);
  (void)SecondsOf(fields);

  std::string& start = texts[0];
  std::string& stop = texts[1];
  std::string& event = texts[2];
  if (!CompleteTimes(start, stop, event)) return 0;
  const std::optional<std::int64_t> from = Parsed(start);
  const std::optional<std::int64_t> to = Parsed(stop);
  if (!event.empty()) Parsed(event);
  if (from && to) CheckSegments(*from, *to);
  return 0;
}
