// Splits a file's text into its lines for tests that check line by line.
#pragma once

#include <sstream>
#include <string>
#include <vector>

namespace corvane::testing {

// The lines of text without their line feeds; a final line feed ends the
// last line (it does not start an empty one).
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace corvane::testing
