#include "input/egg_group_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>

#include "core/c_format.h"
#include "core/progress_log.h"

namespace corvane {
namespace {

// The id a token starts with, like scanf's "%d": an optional sign and
// digits, within the range of int; nullopt when the token starts otherwise.
// whole tells whether the number took the entire token.
std::optional<int> TokenId(const std::string& token, bool& whole) {
  size_t i = 0;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) ++i;
  const size_t digits = i;
  while (i < token.size() && token[i] >= '0' && token[i] <= '9') ++i;
  if (i == digits) return std::nullopt;
  whole = i == token.size();
  const long long value = LeadingInteger(token);
  if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
    return std::nullopt;
  }
  return static_cast<int>(value);
}

}  // namespace

std::vector<int> ReadEggGroupFile(const std::string& path) {
  std::vector<int> subgroup;
  if (path.empty()) return subgroup;
  std::error_code error;
  std::ifstream in;
  if (!std::filesystem::is_directory(path, error)) in.open(path);
  if (!in.is_open()) {
    LogLine(CFormat("Failed to open egg group file '%s'", path.c_str()));
    return subgroup;
  }
  std::string token;
  while (in >> token && token[0] == '#') {
    std::string comment;
    std::getline(in, comment);
  }
  if (!in) return subgroup;  // ended inside the comments, before the count
  const long long count = LeadingInteger(token);
  while (static_cast<long long>(subgroup.size()) < count && in >> token) {
    bool whole = false;
    const std::optional<int> id = TokenId(token, whole);
    if (!id) break;
    subgroup.push_back(*id);
    // A token like "1004,1021" yields its leading number and ends the list.
    if (!whole) break;
  }
  return subgroup;
}

bool IsEggSelected(const std::vector<int>& subgroup, int eggId) {
  return subgroup.empty() || std::find(subgroup.begin(), subgroup.end(), eggId) != subgroup.end();
}

}  // namespace corvane
