#include "output/headless_gnuplot.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/c_format.h"
#include "core/file_descriptor.h"
#include "output/gnuplot_launcher.h"

extern char** environ;

namespace corvane {
namespace {

// What gnuplot says on standard error is kept up to this size, its end
// (where the error is) rather than its start.
constexpr size_t kErrorKept = 2000;

// The environment without the variables that name a display.
std::vector<std::string> EnvironmentWithoutDisplay() {
  std::vector<std::string> kept;
  for (char** variable = environ; variable != nullptr && *variable != nullptr; ++variable) {
    const std::string_view text(*variable);
    if (text.rfind("DISPLAY=", 0) == 0 || text.rfind("WAYLAND_DISPLAY=", 0) == 0) continue;
    kept.emplace_back(text);
  }
  return kept;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

// The last lines of gnuplot's complaint, on one line.
std::string Complaint(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  const size_t first = text.find_first_not_of(" \n");
  text = first == std::string::npos ? std::string() : text.substr(first);
  // One line, without the runs of blanks that point at a column.
  std::string line;
  for (const char c : text) {
    const char shown = c == '\n' ? ' ' : c;
    if (shown == ' ' && !line.empty() && line.back() == ' ') continue;
    line += shown;
  }
  return line;
}

struct SpawnActions {
  posix_spawn_file_actions_t actions;
  SpawnActions() { posix_spawn_file_actions_init(&actions); }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&actions); }
};

}  // namespace

std::optional<std::string> RunHeadlessGnuplot(const std::string& executable,
                                              std::string_view commands,
                                              const std::function<bool(std::string_view)>& output,
                                              const std::function<bool()>& stop,
                                              std::chrono::milliseconds timeout) {
  const std::string name = executable.empty() ? std::string("gnuplot") : executable;
  const std::string program = FindExecutable(name);
  if (program.empty()) return name + ": not found";

  // Standard input is a socket, so that feeding a gnuplot that has already
  // ended fails with EPIPE instead of raising SIGPIPE in this process.
  int in[2], out[2], err[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, in) != 0) {
    return program + ": " + std::strerror(errno);
  }
  FileDescriptor inRead(in[0]), inWrite(in[1]);
  if (pipe2(out, O_CLOEXEC) != 0) return program + ": " + std::strerror(errno);
  FileDescriptor outRead(out[0]), outWrite(out[1]);
  if (pipe2(err, O_CLOEXEC) != 0) return program + ": " + std::strerror(errno);
  FileDescriptor errRead(err[0]), errWrite(err[1]);

  SpawnActions spawn;
  posix_spawn_file_actions_adddup2(&spawn.actions, inRead.get(), 0);
  posix_spawn_file_actions_adddup2(&spawn.actions, outWrite.get(), 1);
  posix_spawn_file_actions_adddup2(&spawn.actions, errWrite.get(), 2);
  posix_spawn_file_actions_addclosefrom_np(&spawn.actions, 3);
  std::vector<std::string> arguments = {program};
  std::vector<std::string> environment = EnvironmentWithoutDisplay();
  std::vector<char*> argv = Pointers(arguments), envp = Pointers(environment);
  pid_t child = -1;
  const int spawned =
      posix_spawn(&child, program.c_str(), &spawn.actions, nullptr, argv.data(), envp.data());
  if (spawned != 0) return program + ": " + std::strerror(spawned);
  inRead.Reset();
  outWrite.Reset();
  errWrite.Reset();

  std::optional<std::string> failure;
  std::string complaint;
  size_t fed = 0;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::vector<char> buffer(65536);
  while (outRead.valid() || errRead.valid()) {
    if (stop && stop()) {
      failure = "stopped";
      break;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      failure = CFormat("%s did not finish within %lld seconds", program.c_str(),
                        static_cast<long long>(timeout.count() / 1000));
      break;
    }
    pollfd watched[3] = {
        {outRead.get(), POLLIN, 0}, {errRead.get(), POLLIN, 0}, {inWrite.get(), POLLOUT, 0}};
    // A short wait, so that a stop is noticed soon.
    const int ready = poll(watched, 3, static_cast<int>(std::min<long long>(left.count(), 100)));
    if (ready < 0 && errno != EINTR) {
      failure = program + ": " + std::strerror(errno);
      break;
    }
    if (watched[2].revents != 0) {
      const ssize_t wrote = send(inWrite.get(), commands.data() + fed, commands.size() - fed,
                                 MSG_NOSIGNAL | MSG_DONTWAIT);
      if (wrote > 0) fed += static_cast<size_t>(wrote);
      // Once everything is fed (or gnuplot stopped reading), the end of
      // its input lets it finish.
      if (fed == commands.size() || (wrote < 0 && errno != EAGAIN && errno != EINTR)) {
        inWrite.Reset();
      }
    }
    if (watched[0].revents != 0) {
      const ssize_t got = read(outRead.get(), buffer.data(), buffer.size());
      if (got > 0 && !output(std::string_view(buffer.data(), static_cast<size_t>(got)))) {
        failure = "the picture could not be written";
        break;
      }
      if (got == 0 || (got < 0 && errno != EINTR)) outRead.Reset();
    }
    if (watched[1].revents != 0) {
      const ssize_t got = read(errRead.get(), buffer.data(), buffer.size());
      if (got > 0) {
        complaint.append(buffer.data(), static_cast<size_t>(got));
        if (complaint.size() > 2 * kErrorKept) complaint.erase(0, complaint.size() - kErrorKept);
      }
      if (got == 0 || (got < 0 && errno != EINTR)) errRead.Reset();
    }
  }
  inWrite.Reset();
  if (failure) kill(child, SIGKILL);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (failure) return failure;
  if (complaint.size() > kErrorKept) complaint.erase(0, complaint.size() - kErrorKept);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return std::nullopt;
  const std::string said = Complaint(complaint);
  const std::string how = WIFEXITED(status) ? CFormat("ended with status %d", WEXITSTATUS(status))
                                            : CFormat("ended by signal %d", WTERMSIG(status));
  return program + " " + how + (said.empty() ? std::string() : ": " + said);
}

}  // namespace corvane
