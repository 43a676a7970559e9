// A stand-in for the gnuplot executable, so that no plot window opens in a
// test: a shell script that records the arguments it was started with.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "support/temp_dir.h"

namespace corvane::testing {

// Writes an executable script at `script` that writes its arguments, one per
// line, into the file `record` (whole: it appears only once complete).
inline void WriteGnuplotRecorder(const std::string& script, const std::string& record) {
  WriteFile(script, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + record + ".part'\nmv '" + record +
                        ".part' '" + record + "'\n");
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
}

// The recorded arguments once the record exists; "" when it does not appear
// within the timeout (the launch is detached, so the record comes late).
inline std::string WaitForRecord(const std::string& record,
                                 std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!FileExists(record) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return ReadFile(record);
}

}  // namespace corvane::testing
