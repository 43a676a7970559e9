// Splits a file's text into its lines for tests that check line by line.
#pragma once

#include <string>
#include <vector>

namespace corvane::testing {

// The lines of text without their line feeds; a final line feed ends the
// last line (it does not start an empty one).
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string::size_type start = 0;
  while (start < text.size()) {
    const auto end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace corvane::testing
