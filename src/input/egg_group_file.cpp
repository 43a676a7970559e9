#include "input/egg_group_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "core/c_format.h"
#include "core/progress_log.h"
#include "core/regular_file.h"

namespace corvane {
namespace {

constexpr size_t kShownTokenBytes = 40;

// Walks the white-space-separated tokens of a text.
class Tokens {
 public:
  explicit Tokens(std::string_view text) : rest_(text) {}

  // The next token; false at the end of the text.
  bool Next(std::string_view& token) {
    size_t i = 0;
    while (i < rest_.size() && IsAsciiSpace(rest_[i])) ++i;
    size_t end = i;
    while (end < rest_.size() && !IsAsciiSpace(rest_[end])) ++end;
    token = rest_.substr(i, end - i);
    rest_.remove_prefix(end);
    return !token.empty();
  }

  // Drops the rest of the current line.
  void SkipLine() {
    const size_t feed = rest_.find('\n');
    rest_.remove_prefix(feed == std::string_view::npos ? rest_.size() : feed + 1);
  }

 private:
  std::string_view rest_;
};

// The value of a token that is a whole decimal number (optional sign, then
// digits only), saturated at the limits of long long; nullopt otherwise.
std::optional<long long> WholeNumber(std::string_view token) {
  size_t i = 0;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) ++i;
  if (i == token.size()) return std::nullopt;
  for (size_t j = i; j < token.size(); ++j) {
    if (token[j] < '0' || token[j] > '9') return std::nullopt;
  }
  return LeadingInteger(token);
}

// The token as a message may show it: bounded, and readable whatever bytes
// it holds.
std::string Shown(std::string_view token) {
  std::string shown;
  for (const char c : token.substr(0, kShownTokenBytes)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f) {
      shown += c;
    } else {
      shown += CFormat("\\x%02X", byte);
    }
  }
  if (token.size() > kShownTokenBytes) shown += "...";
  return shown;
}

EggSubgroup Refused(std::string message) {
  EggSubgroup subgroup;
  subgroup.error = std::move(message);
  return subgroup;
}

EggSubgroup Unreadable(const std::string& path, const std::string& reason) {
  LogLine(CFormat("Failed to open egg group file '%s'", path.c_str()));
  return Refused(CFormat("Egg subgroup file %s cannot be read: %s", path.c_str(), reason.c_str()));
}

EggSubgroup NotANumber(const std::string& path, std::string_view token) {
  return Refused(CFormat("Egg subgroup file %s: \"%s\" is not a whole number", path.c_str(),
                         Shown(token).c_str()));
}

}  // namespace

EggSubgroup ParseEggGroupText(std::string_view text, const std::string& path) {
  const std::string none = CFormat("Egg subgroup file %s holds no egg identifier", path.c_str());
  Tokens tokens(text);
  std::string_view token;
  bool have = tokens.Next(token);
  while (have && token[0] == '#') {
    tokens.SkipLine();
    have = tokens.Next(token);
  }
  if (!have) return Refused(none);  // ended inside the comments, before the count
  const std::optional<long long> count = WholeNumber(token);
  if (!count) return NotANumber(path, token);
  if (*count <= 0) return Refused(none);
  if (*count > kMaxSubgroupIds) {
    return Refused(CFormat("Egg subgroup file %s: the count %lld is larger than %d", path.c_str(),
                           *count, kMaxSubgroupIds));
  }
  EggSubgroup subgroup;
  while (static_cast<long long>(subgroup.ids.size()) < *count && tokens.Next(token)) {
    const std::optional<long long> id = WholeNumber(token);
    if (!id || *id < std::numeric_limits<int>::min() || *id > std::numeric_limits<int>::max()) {
      return NotANumber(path, token);
    }
    subgroup.ids.push_back(static_cast<int>(*id));
  }
  if (subgroup.ids.empty()) return Refused(none);
  return subgroup;
}

EggSubgroup ReadEggGroupFile(const std::string& path) {
  if (path.empty()) return EggSubgroup();
  std::string not_regular;
  const StdioFile file = OpenRegularFile(path, &not_regular);
  if (!file) return Unreadable(path, not_regular.empty() ? std::strerror(errno) : not_regular);
  // One byte more than the limit tells a file over it.
  std::string text(static_cast<size_t>(kMaxEggGroupFileBytes) + 1, '\0');
  const size_t got = std::fread(text.data(), 1, text.size(), file.get());
  if (std::ferror(file.get()) != 0) return Unreadable(path, std::strerror(errno));
  if (got > static_cast<size_t>(kMaxEggGroupFileBytes)) {
    return Refused(CFormat("Egg subgroup file %s is larger than %lld bytes", path.c_str(),
                           kMaxEggGroupFileBytes));
  }
  text.resize(got);
  return ParseEggGroupText(text, path);
}

bool IsEggSelected(const std::vector<int>& subgroup, int eggId) {
  return subgroup.empty() || std::find(subgroup.begin(), subgroup.end(), eggId) != subgroup.end();
}

}  // namespace corvane
