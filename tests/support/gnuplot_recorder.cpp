#include "support/gnuplot_recorder.h"

#include <filesystem>
#include <thread>

#include "support/temp_dir.h"

namespace corvane::testing {

void WriteGnuplotRecorder(const std::string& script, const std::string& record) {
  WriteFile(script, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + record + ".part'\nmv '" + record +
                        ".part' '" + record + "'\n");
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
}

std::string WaitForRecord(const std::string& record, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!FileExists(record) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return ReadFile(record);
}

}  // namespace corvane::testing
