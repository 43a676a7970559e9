#include "output/plot_windows.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <utility>

#include "core/regular_file.h"

namespace corvane {

int PlotWindows::Number(const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = windows_.find(name);
  if (found != windows_.end()) return found->second.number;
  const int number = static_cast<int>(windows_.size());
  windows_[name].number = number;
  return number;
}

std::string PlotWindows::NewMark() {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::to_string(getpid()) + "-" + std::to_string(++marks_);
}

std::string PlotWindows::Replace(const std::string& name, const std::string& mark) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = windows_.find(name);
  if (found == windows_.end()) {
    const int number = static_cast<int>(windows_.size());
    found = windows_.emplace(name, Window{number, std::string()}).first;
  }
  return std::exchange(found->second.mark, mark);
}

namespace {

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

// The command name and state of a process from its /proc/<pid>/stat line:
// "pid (comm) state ...".
bool ReadProcess(const std::string& pid, std::string& command, char& state) {
  const StdioFile file = OpenRegularFile("/proc/" + pid + "/stat");
  if (!file) return false;
  char line[512];
  const size_t got = std::fread(line, 1, sizeof line - 1, file.get());
  line[got] = '\0';
  const std::string text(line);
  const size_t open = text.find('('), close = text.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return false;
  command = text.substr(open + 1, close - open - 1);
  return std::sscanf(text.c_str() + close + 1, " %c", &state) == 1;
}

// Whether the process's environment holds the entry (the file is readable
// for this user's own processes only).
bool HasEnvironmentEntry(const std::string& pid, const std::string& entry) {
  const StdioFile file = OpenRegularFile("/proc/" + pid + "/environ");
  if (!file) return false;
  // Entries end with a NUL; an environment is read up to a bound.
  constexpr size_t kLimit = 1 << 20;
  std::string text;
  char buffer[4096];
  size_t got = 0;
  while (text.size() < kLimit && (got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
    text.append(buffer, got);
  }
  const std::string wanted = entry + '\0';
  return text.rfind(wanted, 0) == 0 || text.find('\0' + wanted) != std::string::npos;
}

// Kills the live gnuplot processes carrying the entry; returns how many.
int KillMarked(const std::string& entry) {
  const std::unique_ptr<DIR, DirCloser> proc(opendir("/proc"));
  if (!proc) return 0;
  int killed = 0;
  while (const dirent* found = readdir(proc.get())) {
    const std::string pid = found->d_name;
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string command;
    char state = 0;
    if (!ReadProcess(pid, command, state) || state == 'Z') continue;
    if (command != "gnuplot" && command != "gnuplot_qt") continue;
    if (!HasEnvironmentEntry(pid, entry)) continue;
    if (kill(static_cast<pid_t>(std::atol(pid.c_str())), SIGKILL) == 0) ++killed;
  }
  return killed;
}

}  // namespace

void CloseWindow(const std::string& mark) {
  if (mark.empty()) return;
  const std::string entry = std::string(kPlotWindowVariable) + "=" + mark;
  // gnuplot may be starting its window's process just now: look again until
  // none is left (a killed gnuplot starts no more).
  for (int round = 0; round < 50 && KillMarked(entry) > 0; ++round) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace corvane
