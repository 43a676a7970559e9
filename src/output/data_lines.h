// Counting the lines of a run's data file, to tell a whole data file from
// one cut short: a display trusts a run's results only when the data file
// holds exactly the records its information file counts.
//
// CountDataLines reads the file in fixed pieces (its memory does not grow
// with the file) and only when it is a regular file, so a FIFO or a device
// in its place is refused at once rather than blocking the display.
#pragma once

#include <cstdint>
#include <string>

namespace corvane {

struct DataLines {
  bool readable = false;      // false: reason says why
  std::string reason;         // "it is a FIFO", "No such file or directory", ...
  std::int64_t complete = 0;  // lines that end with a line feed
  bool unfinished = false;    // text after the last line feed
};

DataLines CountDataLines(const std::string& path);

}  // namespace corvane
