#include "dataserver/egg_day_cut.h"

#include <vector>

#include "core/c_format.h"

namespace corvane::dataserver {
namespace {

// The next line of text from *pos on, without its line end.
std::string_view NextLine(std::string_view text, size_t* pos) {
  const size_t begin = *pos;
  size_t end = text.find('\n', begin);
  if (end == std::string_view::npos) {
    end = text.size();
    *pos = text.size();
  } else {
    *pos = end + 1;
  }
  std::string_view line = text.substr(begin, end - begin);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// Field n (from 1) of a comma-separated line; empty past the end.
std::string_view Field(std::string_view line, int n) {
  size_t begin = 0;
  for (int i = 1; i < n; ++i) {
    const size_t comma = line.find(',', begin);
    if (comma == std::string_view::npos) return {};
    begin = comma + 1;
  }
  const size_t comma = line.find(',', begin);
  return line.substr(begin,
                     comma == std::string_view::npos ? std::string_view::npos : comma - begin);
}

bool IsRecordCountLine(std::string_view line) {
  return LeadingInteger(Field(line, 1)) == 11 && LeadingInteger(Field(line, 2)) == 4;
}

// The line with its third field replaced by count.
std::string WithCount(std::string_view line, std::int64_t count) {
  const size_t first = line.find(',');
  const size_t second = line.find(',', first + 1);
  const size_t third =
      second == std::string_view::npos ? std::string_view::npos : line.find(',', second + 1);
  std::string result(line.substr(0, second == std::string_view::npos ? line.size() : second));
  result += ',';
  result += std::to_string(count);
  if (third != std::string_view::npos) result += line.substr(third);
  return result;
}

}  // namespace

std::optional<std::string> CutEggData(std::string_view text, std::int64_t from, std::int64_t to,
                                      std::string* error) {
  size_t pos = 0;
  std::vector<std::string_view> header;
  bool ids_seen = false;
  while (pos < text.size()) {
    const std::string_view line = NextLine(text, &pos);
    if (header.empty() && line.find("Samples per record") == std::string_view::npos) {
      if (error != nullptr) *error = "no \"Samples per record\" in its first line";
      return std::nullopt;
    }
    header.push_back(line);
    if (header.size() > 1 && LeadingInteger(Field(line, 1)) == 12) {
      ids_seen = true;
      break;
    }
  }
  if (!ids_seen) {
    if (error != nullptr) *error = "no egg id record (type 12) in its header";
    return std::nullopt;
  }

  std::string records;
  std::int64_t count = 0;
  while (pos < text.size()) {
    const std::string_view line = NextLine(text, &pos);
    if (LeadingInteger(Field(line, 1)) != 13) continue;
    const long long time = LeadingInteger(Field(line, 2));
    if (time < from || time > to) continue;
    records += line;
    records += '\n';
    ++count;
  }

  std::string result;
  result.reserve(records.size() + 1024);
  bool count_written = false;
  for (size_t i = 0; i < header.size(); ++i) {
    const std::string_view line = header[i];
    if (i > 0 && IsRecordCountLine(line)) {
      result += WithCount(line, count);
      count_written = true;
    } else {
      if (i + 1 == header.size() && !count_written)
        result += "11,4," + std::to_string(count) + "\n";
      result += line;
    }
    result += '\n';
  }
  result += records;
  return result;
}

}  // namespace corvane::dataserver
