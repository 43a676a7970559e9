#include "app/file_choosers.h"

#include <filesystem>
#include <vector>

namespace corvane {

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t begin = 0;
  for (;;) {
    const size_t end = text.find(separator, begin);
    parts.push_back(text.substr(begin, end == std::string::npos ? std::string::npos : end - begin));
    if (end == std::string::npos) return parts;
    begin = end + 1;
  }
}

// The description without a trailing "(...)" group and the blanks before it.
std::string BareDescription(const std::string& description) {
  std::string bare = description;
  if (!bare.empty() && bare.back() == ')') {
    const size_t open = bare.rfind('(');
    if (open != std::string::npos) bare.erase(open);
  }
  while (!bare.empty() && bare.back() == ' ') bare.pop_back();
  return bare;
}

}  // namespace

std::string ChooserStartDirectory(const std::string& current, const std::string& home) {
  const std::filesystem::path path = std::filesystem::path(current).lexically_normal();
  if (!path.is_absolute()) return home;
  std::error_code error;
  // "/data/eggs/" names the folder itself; its parent_path is that folder.
  const std::filesystem::path folder =
      std::filesystem::is_directory(path, error) ? path : path.parent_path();
  if (!std::filesystem::is_directory(folder, error)) return home;
  std::string text = folder.string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

std::string QtFileFilter(const std::string& filter) {
  std::string body = filter;
  while (!body.empty() && body.back() == '|') body.pop_back();
  const std::vector<std::string> parts = Split(body, '|');
  std::string result;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    std::string patterns;
    for (const std::string& pattern : Split(parts[i + 1], ';')) {
      if (pattern.empty()) continue;
      if (!patterns.empty()) patterns += ' ';
      // "*.*" means every file; in Qt it would skip names without a dot.
      patterns += pattern == "*.*" ? std::string("*") : pattern;
    }
    if (!result.empty()) result += ";;";
    const std::string description = BareDescription(parts[i]);
    result += description.empty() ? "(" + patterns + ")" : description + " (" + patterns + ")";
  }
  return result;
}

}  // namespace corvane
