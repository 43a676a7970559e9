// Conversions between a control's text and a field, with the messages a
// view shows when a value does not parse. Numbers always use the C form
// ("0.0001", never "0,0001").
#pragma once

#include <optional>
#include <string>

namespace corvane {

inline constexpr const char* kEnterInteger = "Please enter an integer.";
inline constexpr const char* kEnterNumber = "Please enter a number.";

// A whole int (surrounding blanks allowed); nullopt otherwise. Settings and
// batch files read their whole numbers with it too.
std::optional<int> IntegerFromField(const std::string& text);
// A finite decimal number; nullopt otherwise.
std::optional<double> RealFromField(const std::string& text);

std::string IntegerFieldText(long long value);
// Up to 15 significant digits ("0.0001", "4", "1.13").
std::string RealFieldText(double value);

}  // namespace corvane
