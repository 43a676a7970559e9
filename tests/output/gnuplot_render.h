// Runs the real gnuplot on a plot script with its window terminal replaced
// by a PNG file terminal, for tests: the script must draw a picture without
// a word on standard error.
#pragma once

#include <string>

namespace corvane::testing {

struct RenderResult {
  int exitCode = -1;
  std::string errors;  // gnuplot's standard error
  long long pictureBytes = 0;
};

// Writes the script (with "set term qt" replaced) into directory and runs
// gnuplot on it there. directory ends with a separator.
RenderResult RenderWithGnuplot(const std::string& script, const std::string& directory);

}  // namespace corvane::testing
