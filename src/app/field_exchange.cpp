#include "app/field_exchange.h"

#include <climits>

#include "core/c_format.h"

namespace corvane {

std::optional<int> IntegerFromField(const std::string& text) {
  const std::optional<long long> value = ParseInteger(text);
  if (!value || *value < INT_MIN || *value > INT_MAX) return std::nullopt;
  return static_cast<int>(*value);
}

std::optional<double> RealFromField(const std::string& text) { return ParseDouble(text); }

std::string IntegerFieldText(long long value) { return CFormat("%lld", value); }

std::string RealFieldText(double value) { return CFormat("%.15g", value); }

}  // namespace corvane
