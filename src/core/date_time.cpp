#include "core/date_time.h"

#include <cmath>
#include <ctime>
#include <limits>
#include <stdexcept>
#include <string_view>

#include "core/c_format.h"

namespace corvane {
namespace {

constexpr int kFirstYear = 1970;
constexpr int kLastYear = 9999;

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && IsLeapYear(year)) return 29;
  return kDays[month - 1];
}

bool IsRealInstant(int year, int month, int day, int hour, int minute, int second) {
  if (year < kFirstYear || year > kLastYear) return false;
  if (month < 1 || month > 12) return false;
  if (day < 1 || day > DaysInMonth(year, month)) return false;
  return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

// Reads like scanf's "%d": white space, an optional sign, decimal digits. A
// value outside int counts as no match.
bool ScanInt(std::string_view text, size_t& pos, int& value) {
  size_t i = pos;
  while (i < text.size() && IsAsciiSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const size_t digits_start = i;
  long long magnitude = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > std::numeric_limits<int>::max()) return false;
    ++i;
  }
  if (i == digits_start) return false;
  value = static_cast<int>(negative ? -magnitude : magnitude);
  pos = i;
  return true;
}

// Reads like scanf's "%c": any one character, white space included.
bool ScanChar(std::string_view text, size_t& pos) {
  if (pos >= text.size()) return false;
  ++pos;
  return true;
}

}  // namespace

double DateTime::JulianDay(int year, int month, int day, int hour, int minute, int second) {
  // 64-bit day arithmetic: the same numbers as 32-bit for every real date,
  // and no overflow for the wild fields a token split can hand in.
  std::int64_t y = year;
  std::int64_t m = month;
  if (month <= 2) {
    y -= 1;
    m += 12;
  }
  std::int64_t b = 0;
  const bool before_gregorian =
      year < 1582 || (year == 1582 && month < 10) || (year == 1582 && month == 10 && day < 5);
  if (!before_gregorian) {
    const std::int64_t a = y / 100;
    b = 2 - a + a / 4;
  }
  const std::int64_t d =
      static_cast<std::int64_t>(std::trunc(365.25 * static_cast<double>(y + 4716))) +
      static_cast<std::int64_t>(std::trunc(30.6001 * static_cast<double>(m + 1))) + day + b;
  return static_cast<double>(d) - 1524.5 +
         (second + 60.0 * (minute + 60.0 * hour)) * (1.0 / 86400.0);
}

std::int64_t DateTime::FromCalendar(int year, int month, int day, int hour, int minute,
                                    int second) {
  const double jd = JulianDay(year, month, day, hour, minute, second);
  // Rounded to the nearest second; floor rather than truncation keeps that
  // true for instants before 1970 too.
  seconds_ = static_cast<std::int64_t>(std::floor((jd - 2440587.5) * 86400.0 + 0.5));
  return seconds_;
}

void DateTime::ToCalendar(int* year, int* month, int* day, int* hour, int* minute,
                          int* second) const {
  const CalendarFields fields = ToCalendarFields();
  if (year != nullptr) *year = fields.year;
  if (month != nullptr) *month = fields.month;
  if (day != nullptr) *day = fields.day;
  if (hour != nullptr) *hour = fields.hour;
  if (minute != nullptr) *minute = fields.minute;
  if (second != nullptr) *second = fields.second;
}

CalendarFields DateTime::ToCalendarFields() const {
  const std::time_t t = static_cast<std::time_t>(seconds_);
  std::tm broken{};
  CalendarFields fields;
  if (gmtime_r(&t, &broken) == nullptr) return fields;
  if (broken.tm_year > std::numeric_limits<int>::max() - 1900) return fields;
  fields.second = broken.tm_sec;
  fields.minute = broken.tm_min;
  fields.hour = broken.tm_hour;
  fields.day = broken.tm_mday;
  fields.month = broken.tm_mon + 1;
  fields.year = broken.tm_year + 1900;
  fields.weekday = broken.tm_wday;
  fields.yearday = broken.tm_yday;
  fields.isdst = 0;
  return fields;
}

std::string DateTime::DateText() const {
  const CalendarFields f = ToCalendarFields();
  return CFormat("%04d-%02d-%02d", f.year, f.month, f.day);
}

std::string DateTime::TimeText() const {
  const CalendarFields f = ToCalendarFields();
  return CFormat("%02d:%02d:%02d", f.hour, f.minute, f.second);
}

void DateTime::Parse(const std::string& text) {
  // year, month, day, hour, minute, second; each after the first preceded by
  // exactly one separator character of any kind.
  int values[6] = {1970, 1, 1, 0, 0, 0};
  size_t pos = 0;
  int items = 0;
  for (int field = 0; field < 6; ++field) {
    if (field > 0) {
      if (!ScanChar(text, pos)) break;
      ++items;
    }
    if (!ScanInt(text, pos, values[field])) break;
    ++items;
  }
  if (items < 5) throw std::invalid_argument("Invalid date format");
  if (!IsRealInstant(values[0], values[1], values[2], values[3], values[4], values[5])) {
    throw std::invalid_argument("Invalid date format");
  }
  FromCalendar(values[0], values[1], values[2], values[3], values[4], values[5]);
}

std::int64_t SecondsFromText(const std::string& text) {
  DateTime value;
  value.Parse(text);
  return value.Seconds();
}

CalendarFields ParseCalendarFields(const std::string& text) {
  const std::string_view copy = std::string_view(text).substr(0, 99);
  int values[6] = {0, 0, 0, 0, 0, 0};
  int token = 0;
  size_t i = 0;
  auto is_delimiter = [](char c) { return c == '-' || c == ':' || c == ' '; };
  while (i < copy.size() && token < 6) {
    while (i < copy.size() && is_delimiter(copy[i])) ++i;
    if (i >= copy.size()) break;
    const size_t start = i;
    while (i < copy.size() && !is_delimiter(copy[i])) ++i;
    const long long value = LeadingInteger(copy.substr(start, i - start));
    values[token++] = value > std::numeric_limits<int>::max()   ? std::numeric_limits<int>::max()
                      : value < std::numeric_limits<int>::min() ? std::numeric_limits<int>::min()
                                                                : static_cast<int>(value);
  }
  CalendarFields fields;
  fields.year = values[0];
  fields.month = values[1];
  fields.day = values[2];
  fields.hour = values[3];
  fields.minute = values[4];
  fields.second = values[5];
  fields.isdst = 0;
  return fields;
}

std::int64_t SecondsOf(const CalendarFields& fields) {
  DateTime value;
  return value.FromCalendar(fields.year, fields.month, fields.day, fields.hour, fields.minute,
                            fields.second);
}

std::int64_t DayNumber(std::int64_t seconds) {
  std::int64_t day = seconds / DateTime::kSecondsPerDay;
  if (seconds % DateTime::kSecondsPerDay < 0) --day;
  return day;
}

void NextDayStart(CalendarFields& fields) {
  const std::int64_t next_day = DayNumber(SecondsOf(fields)) + 1;
  const CalendarFields next = DateTime(next_day * DateTime::kSecondsPerDay).ToCalendarFields();
  fields.year = next.year;
  fields.month = next.month;
  fields.day = next.day;
  fields.hour = next.hour;
  fields.minute = next.minute;
  fields.second = next.second;
}

bool CalendarDiffers(const CalendarFields& a, const CalendarFields& b) {
  return a.second != b.second || a.minute != b.minute || a.hour != b.hour || a.day != b.day ||
         a.month != b.month || a.year != b.year;
}

}  // namespace corvane
