#include "core/day_segments.h"

namespace corvane {
namespace {

CalendarFields FieldsAt(std::int64_t seconds) { return DateTime(seconds).ToCalendarFields(); }

}  // namespace

std::vector<DaySegment> BuildDaySegments(std::int64_t start, std::int64_t stop) {
  const std::int64_t first_day = DayNumber(start);
  const std::int64_t last_day = DayNumber(stop);
  if (last_day <= first_day) return {DaySegment{FieldsAt(start), FieldsAt(stop)}};
  const std::int64_t count = last_day - first_day + 1;
  if (count > kMaxDaySegments) return {};

  std::vector<DaySegment> segments;
  segments.reserve(static_cast<size_t>(count));
  for (std::int64_t day = first_day; day <= last_day; ++day) {
    const std::int64_t day_start = day * DateTime::kSecondsPerDay;
    const std::int64_t day_end = day_start + DateTime::kSecondsPerDay - 1;
    const std::int64_t from = day == first_day ? start : day_start;
    const std::int64_t to = day == last_day ? stop : day_end;
    segments.push_back(DaySegment{FieldsAt(from), FieldsAt(to)});
  }
  return segments;
}

}  // namespace corvane
