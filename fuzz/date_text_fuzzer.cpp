// Fuzz target: the date texts of a request (start, stop and event time) on
// their way into a run.
//
// Input: up to three lines, the start, stop and event texts as typed. They
// are completed as the form completes them, parsed, and the range is cut
// into day segments. Checks that a parsed time is a real instant that
// prints and parses back to itself, and that the day segments cover the
// range one calendar date each; the token split of the day segments must
// take any text without fault.
#include <cstddef>
#include <cstdint>
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
  return seconds;
}

bool SameFields(const CalendarFields& a, const CalendarFields& b) { return !CalendarDiffers(a, b); }

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
