// The comma-separated fields of one line of an egg data file, and the
// conversions the readers apply to them.
//
// Fields are counted from 1 and end at a comma or at the end of the line; a
// field past the end of the line is empty. Numbers are read like C's atoi:
// leading blanks skipped, an optional sign, decimal digits up to the first
// other character.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/c_format.h"

namespace corvane {

// Valid trial sums lie in this band; anything else counts as missing.
inline constexpr int kLowestTrialValue = 55;
inline constexpr int kHighestTrialValue = 145;

// Walks the fields of a line from the first on.
class FieldCursor {
 public:
  explicit FieldCursor(std::string_view line) : rest_(line) {}

  // The next field; false once the line has no more fields.
  bool Next(std::string_view& field) {
    if (done_) return false;
    // Fields are short: a plain scan beats a library search call here.
    size_t comma = 0;
    while (comma < rest_.size() && rest_[comma] != ',') ++comma;
    if (comma == rest_.size()) {
      field = rest_;
      done_ = true;
    } else {
      field = rest_.substr(0, comma);
      rest_.remove_prefix(comma + 1);
    }
    return true;
  }

  // Skips n fields (fewer when the line ends first).
  void Skip(int n);

  // True once the line has no more fields; else the text of the fields not
  // taken yet.
  bool Done() const { return done_; }
  std::string_view Rest() const { return rest_; }

 private:
  std::string_view rest_;
  bool done_ = false;
};

// Field n (from 1) of the line, empty when the line has fewer fields.
std::string_view FieldAt(std::string_view line, int n);

// The atoi-style value of a field (0 when it holds no number; saturates).
long long FieldInteger(std::string_view field);

// The value when the field begins (after blanks) with a number that fits a
// signed 32-bit integer, else nullopt.
std::optional<std::int32_t> FieldInt32(std::string_view field);

// The trial sum of a value field, or -1 when it is empty or outside
// kLowestTrialValue..kHighestTrialValue.
inline int TrialValue(std::string_view field) {
  size_t i = 0;
  while (i < field.size() && IsAsciiSpace(field[i])) ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
  int value = 0;
  size_t digits = 0;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i, ++digits) {
    if (value > kHighestTrialValue) continue;  // out of band already; keep scanning
    value = value * 10 + (field[i] - '0');
  }
  if (digits == 0 || negative || value < kLowestTrialValue || value > kHighestTrialValue) return -1;
  return value;
}

}  // namespace corvane
