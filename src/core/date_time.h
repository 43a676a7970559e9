// Calendar dates and times, always in universal time.
//
// DateTime holds one instant as whole seconds since 1970-01-01 00:00:00 UTC
// (64-bit, so there is no year-2038 limit) and converts it from and to
// calendar fields and "yyyy-mm-dd hh:mm:ss" text. No local time zone ever
// enters: conversions rest on the Julian day number and gmtime_r.
//
// Parse accepts only texts that name a real instant from 1970 to 9999: a text
// that is not a date, or that names a day or clock time that does not exist
// ("2011-02-30", hour 24), throws std::invalid_argument("Invalid date format").
#pragma once

#include <cstdint>
#include <string>

namespace corvane {

// The broken-down calendar record: month 1-12 and the full year. The weekday,
// day-of-year and daylight-saving members are carried but not used.
struct CalendarFields {
  int second = 0;
  int minute = 0;
  int hour = 0;
  int day = 1;
  int month = 1;
  int year = 1970;
  int weekday = 0;
  int yearday = 0;
  int isdst = 0;
};

class DateTime {
 public:
  static constexpr std::int64_t kSecondsPerDay = 86400;
  static constexpr std::int64_t kSecondsPerHour = 3600;
  static constexpr std::int64_t kSecondsPerMinute = 60;

  DateTime() = default;
  explicit DateTime(std::int64_t seconds) : seconds_(seconds) {}

  std::int64_t Seconds() const { return seconds_; }
  void SetSeconds(std::int64_t seconds) { seconds_ = seconds; }

  // Sets the value from calendar fields through the Julian day and returns it.
  std::int64_t FromCalendar(int year, int month, int day, int hour, int minute, int second);

  // Breaks the value down as universal time; null outputs are skipped.
  void ToCalendar(int* year, int* month, int* day, int* hour, int* minute, int* second) const;
  CalendarFields ToCalendarFields() const;

  std::string DateText() const;  // "2011-05-03"
  std::string TimeText() const;  // "22:00:00"

  // Sets the value from a date text (see the file comment).
  void Parse(const std::string& text);

  // Julian day number of the instant; dates before 1582-10-05 are Julian.
  static double JulianDay(int year, int month, int day, int hour, int minute, int second);

 private:
  std::int64_t seconds_ = 0;
};

// The day of an instant: whole days since 1970-01-01, rounded toward minus
// infinity, so that every second of a date has the same day number.
std::int64_t DayNumber(std::int64_t seconds);

// Parse into a fresh value and return its seconds.
std::int64_t SecondsFromText(const std::string& text);

// Splits the text (its first 99 characters) into tokens at runs of "-", ":"
// and blanks: year, month, day, hour, minute, second. A missing or
// non-numeric token counts as 0. Never fails.
CalendarFields ParseCalendarFields(const std::string& text);

// Moves the record to 00:00:00 of the next calendar date.
void NextDayStart(CalendarFields& fields);

// True when any of second, minute, hour, day, month or year differ.
bool CalendarDiffers(const CalendarFields& a, const CalendarFields& b);

// Seconds of the record's calendar fields (FromCalendar of its fields).
std::int64_t SecondsOf(const CalendarFields& fields);

}  // namespace corvane
