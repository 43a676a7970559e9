#include "input/egg_fields.h"

#include <limits>

#include "core/c_format.h"

namespace corvane {

void FieldCursor::Skip(int n) {
  std::string_view ignored;
  for (int i = 0; i < n && Next(ignored); ++i) {
  }
}

std::string_view FieldAt(std::string_view line, int n) {
  FieldCursor cursor(line);
  std::string_view field;
  for (int i = 1; i <= n; ++i) {
    if (!cursor.Next(field)) return {};
  }
  return field;
}

long long FieldInteger(std::string_view field) { return LeadingInteger(field); }

std::optional<std::int32_t> FieldInt32(std::string_view field) {
  size_t i = 0;
  while (i < field.size() && IsAsciiSpace(field[i])) ++i;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) ++i;
  if (i == field.size() || field[i] < '0' || field[i] > '9') return std::nullopt;
  const long long value = LeadingInteger(field);
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace corvane
