#include "core/data_name.h"

#include <algorithm>
#include <array>

namespace corvane {
namespace {

// The tables of the output root with a fixed name.
constexpr std::array<std::string_view, 10> kRootTables = {
    "summary.tst",    "results.csv",    "series.csv",    "eggvar_dft.dat", "lpdev_dft.dat",
    "alpdev_dft.dat", "lpadev_dft.dat", "lpvar_dft.dat", "lpmax_dft.dat",  "event_dft.dat",
};

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return lower;
}

bool ConsumeDigits(std::string_view& text) {
  std::size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  text.remove_prefix(digits);
  return digits > 0;
}

bool ConsumePrefix(std::string_view& text, std::string_view prefix) {
  if (!text.starts_with(prefix)) return false;
  text.remove_prefix(prefix.size());
  return true;
}

bool IsTable(std::string_view name);

// "-K-of-N" and nothing after it.
bool IsShardSuffix(std::string_view text) {
  return ConsumePrefix(text, "-") && ConsumeDigits(text) && ConsumePrefix(text, "-of-") &&
         ConsumeDigits(text) && text.empty();
}

// A table of one shard of a batch ("summary-K-of-N.tst", "results-K-of-N.csv",
// "lpdev_dft-K-of-N.dat") or its journal ("shard-K-of-N.journal").
bool IsShardTable(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string_view extension = name.substr(dot);
  const std::string_view stem = name.substr(0, dot);
  const std::size_t dash = stem.rfind("-of-");
  if (dash == std::string_view::npos) return false;
  const std::size_t start = stem.rfind('-', dash - 1);
  if (dash == 0 || start == std::string_view::npos || !IsShardSuffix(stem.substr(start))) {
    return false;
  }
  const std::string base = std::string(stem.substr(0, start)) + std::string(extension);
  return base == "shard.journal" || IsTable(base);
}

bool IsTable(std::string_view name) {
  return std::find(kRootTables.begin(), kRootTables.end(), name) != kRootTables.end() ||
         IsShardTable(name);
}

}  // namespace

bool IsRootTableName(std::string_view name) {
  const std::string lower = Lower(name);
  std::string_view text = lower;
  if (IsTable(text)) return true;
  return ConsumePrefix(text, ".") && text.ends_with(".appending") &&
         IsTable(text.substr(0, text.size() - std::string_view(".appending").size()));
}

std::optional<std::string> DataNameError(const std::string& name) {
  if (name.empty()) return std::string("The data name must not be empty");
  if (name == "." || name == "..") return std::string("The data name must not be \".\" or \"..\"");
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\') {
      return "The data name \"" + name + "\" must not contain a path separator";
    }
    if (c == '"' || c == '\'' || c == '`') {
      return "The data name " + name + " must not contain quotes";
    }
    if (byte < 0x20 || byte == 0x7f) {
      return std::string("The data name must not contain control characters");
    }
  }
  if (IsRootTableName(name)) {
    return "The data name " + name +
           " is the name of a table in the output root; please choose another name";
  }
  return std::nullopt;
}

}  // namespace corvane
