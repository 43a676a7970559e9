#include "output/plot_windows.h"

#include <dirent.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

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

pid_t PlotWindows::Replace(const std::string& name, pid_t group) {
  std::lock_guard<std::mutex> lock(mutex_);
  // A group number noted for another name belongs to a group that has ended
  // since (the number was free to be given out again): forget it there.
  for (auto& [other, window] : windows_) {
    if (other != name && window.group == group) window.group = 0;
  }
  auto found = windows_.find(name);
  if (found == windows_.end()) {
    const int number = static_cast<int>(windows_.size());
    found = windows_.emplace(name, Window{number, 0}).first;
  }
  const pid_t earlier = found->second.group;
  found->second.group = group;
  return earlier;
}

namespace {

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

// The command name, process group and session of a process from its
// /proc/<pid>/stat line: "pid (comm) state ppid pgrp session ...".
bool ReadProcess(const std::string& pid, std::string& command, long& group, long& session) {
  const StdioFile file = OpenRegularFile("/proc/" + pid + "/stat");
  if (!file) return false;
  char line[512];
  const size_t got = std::fread(line, 1, sizeof line - 1, file.get());
  line[got] = '\0';
  const std::string text(line);
  const size_t open = text.find('('), close = text.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return false;
  command = text.substr(open + 1, close - open - 1);
  char state = 0;
  long parent = 0;
  return std::sscanf(text.c_str() + close + 1, " %c %ld %ld %ld", &state, &parent, &group,
                     &session) == 4;
}

}  // namespace

void CloseWindowGroup(pid_t group) {
  if (group <= 1) return;
  const std::unique_ptr<DIR, DirCloser> proc(opendir("/proc"));
  if (!proc) return;
  while (const dirent* entry = readdir(proc.get())) {
    const std::string pid = entry->d_name;
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string command;
    long processGroup = 0, session = 0;
    if (!ReadProcess(pid, command, processGroup, session)) continue;
    if (processGroup != group || session != group) continue;
    if (command != "gnuplot" && command != "gnuplot_qt") continue;
    kill(static_cast<pid_t>(std::atol(pid.c_str())), SIGTERM);
  }
}

}  // namespace corvane
