// A run's time range cut at calendar dates: one DaySegment per date, in date
// order. The first runs from the start to 23:59:59 of its date, the middle
// ones cover whole dates, the last runs from 00:00:00 of the stop date to the
// stop. A range within one date is one segment; a range that ends at 00:00:00
// of a later date still counts that date.
//
// Segments are derived from validated seconds, never from raw text, so no
// input can make the day stepping run away.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/date_time.h"

namespace corvane {

struct DaySegment {
  CalendarFields start;
  CalendarFields end;
};

// The longest range a run may cover.
inline constexpr std::int64_t kMaxDaySegments = 36600;

// Segments of [start, stop] (seconds since 1970). A stop before the start
// gives the one segment [start, stop]. Returns an empty list when the range
// covers more than kMaxDaySegments dates.
std::vector<DaySegment> BuildDaySegments(std::int64_t start, std::int64_t stop);

// One input file path per day segment, filled by local staging or downloads.
using SegmentFileList = std::vector<std::string>;

}  // namespace corvane
