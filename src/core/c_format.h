// Locale-independent text formatting and number parsing.
//
// Result files, settings and batch files always use the C form of numbers
// ("0.500000", never "0,500000"), whatever locale the user's desktop sets for
// the process. Every printf-style format and every number conversion of the
// program goes through these functions.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// True for the white space of the C locale: blank, tab, line feed, vertical
// tab, form feed and carriage return.
constexpr bool IsAsciiSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// printf-style formatting in the C locale.
std::string CFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string CFormatV(const char* format, va_list args) __attribute__((format(printf, 1, 0)));

// Whole-text conversions: the text (after trimming surrounding white space)
// must be exactly one number. Return nullopt otherwise or on overflow.
std::optional<double> ParseDouble(std::string_view text);
std::optional<long long> ParseInteger(std::string_view text);

// C-style prefix conversion: skips leading white space, reads an optional
// sign and decimal digits, stops at the first other character. Yields 0 when
// no digit follows; saturates at the limits of the type.
long long LeadingInteger(std::string_view text);

// Prefix conversion of a decimal real number (like strtod in the C locale);
// 0 when the text does not begin with a number.
double LeadingDouble(std::string_view text);

// Appends the value with the given number of decimals: the same text as
// printf's "%.*f" in the C locale, several times faster (for result files of
// many numbers).
void AppendFixed(std::string& out, double value, int decimals);

}  // namespace corvane
