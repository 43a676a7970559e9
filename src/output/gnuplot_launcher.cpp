#include "output/gnuplot_launcher.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/c_format.h"
#include "output/plot_script.h"
#include "output/plot_windows.h"

extern char** environ;

namespace corvane {
namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string FindExecutable(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  const char* variable = std::getenv("PATH");
  const std::string path = variable != nullptr ? variable : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    const std::string directory = end > start ? path.substr(start, end - start) : ".";
    const std::string candidate = directory + "/" + name;
    if (IsExecutableFile(candidate)) return candidate;
    start = end + 1;
  }
  return std::string();
}

namespace {

// In the child after fork: only async-signal-safe calls from here on.
void CloseDescriptorsExcept(int keep) {
  const int first = 3;
  bool closed = true;
  if (keep > first) closed = close_range(first, static_cast<unsigned>(keep - 1), 0) == 0;
  closed = closed && close_range(static_cast<unsigned>(keep + 1), ~0U, 0) == 0;
  if (!closed) {
    for (int fd = first; fd < 1024; ++fd) {
      if (fd != keep) close(fd);
    }
  }
}

[[noreturn]] void ReportAndExit(int report, int code) {
  const int error = errno;
  ssize_t ignored = write(report, &error, sizeof error);
  (void)ignored;
  _exit(code);
}

[[noreturn]] void RunDetached(const char* program, char* const* argv, char* const* envp,
                              int report) {
  if (setsid() < 0) ReportAndExit(report, 1);
  const pid_t grandchild = fork();
  if (grandchild < 0) ReportAndExit(report, 1);
  if (grandchild > 0) _exit(0);
  const int devnull = open("/dev/null", O_RDWR);
  if (devnull >= 0) {
    for (int fd = 0; fd <= 2; ++fd) dup2(devnull, fd);
    if (devnull > 2) close(devnull);
  }
  CloseDescriptorsExcept(report);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  signal(SIGPIPE, SIG_DFL);
  execve(program, argv, envp);
  ReportAndExit(report, 127);
}

}  // namespace

bool LaunchGnuplot(const std::string& executable, const std::string& script, std::string* error,
                   const std::string& command, const std::string& mark) {
  const std::string name = executable.empty() ? std::string("gnuplot") : executable;
  const std::string program = FindExecutable(name);
  if (program.empty()) {
    if (error != nullptr) *error = name + ": not found";
    return false;
  }
  std::vector<std::string> arguments = {program};
  if (!command.empty()) {
    arguments.push_back("-e");
    arguments.push_back(command);
  }
  arguments.push_back(script);
  arguments.push_back("-persist");
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  // The environment is made before the fork: the child may only exec.
  std::vector<std::string> environment;
  for (char** variable = environ; variable != nullptr && *variable != nullptr; ++variable) {
    if (std::string_view(*variable).rfind(kPlotWindowVariable, 0) != 0)
      environment.emplace_back(*variable);
  }
  if (!mark.empty()) environment.push_back(std::string(kPlotWindowVariable) + "=" + mark);
  std::vector<char*> envp;
  for (std::string& variable : environment) envp.push_back(variable.data());
  envp.push_back(nullptr);

  // The child reports a failure to start as an errno through the pipe; a
  // successful exec closes the pipe (close-on-exec) without a word.
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    if (error != nullptr) *error = program + ": " + std::strerror(errno);
    return false;
  }
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    RunDetached(program.c_str(), argv.data(), envp.data(), fds[1]);
  }
  const int forkError = errno;
  close(fds[1]);
  if (child < 0) {
    close(fds[0]);
    if (error != nullptr) *error = program + ": " + std::strerror(forkError);
    return false;
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int childError = 0;
  ssize_t got = 0;
  do {
    got = read(fds[0], &childError, sizeof childError);
  } while (got < 0 && errno == EINTR);
  close(fds[0]);
  if (got == static_cast<ssize_t>(sizeof childError)) {
    if (error != nullptr) *error = program + ": " + std::strerror(childError);
    return false;
  }
  return true;
}

bool LaunchPlot(const RunContext& context, const std::string& script) {
  const std::string& path = context.settings.gnuplotPath;
  context.LogLine(path.empty() ? std::string("gnuplot") : path);
  context.LogLine(script + " -persist");
  context.LogLine("Launching wgnuplot");
  std::string error;
  const std::string& name = context.settings.dataName;
  PlotWindows* windows = context.plotWindows;
  const int number = windows != nullptr ? windows->Number(name) : 0;
  const std::string terminal =
      CFormat("set term qt %d title \"%s\"", number, GnuplotString(name).c_str());
  const std::string mark = windows != nullptr ? windows->NewMark() : std::string();
  if (LaunchGnuplot(path, script, &error, terminal, mark)) {
    context.LogLine("Launch was successful");
    if (windows != nullptr) CloseWindow(windows->Replace(name, mark));
    return true;
  }
  context.LogLine(error);
  context.ShowMessage("Failed to launch Gnuplot: " + error +
                      ". Set the gnuplot executable in Options > Customize.");
  return false;
}

}  // namespace corvane
