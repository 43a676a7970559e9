#include "gnuplot_render.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <vector>

#include "support/temp_dir.h"

extern char** environ;

namespace corvane::testing {

RenderResult RenderWithGnuplot(const std::string& script, const std::string& directory) {
  RenderResult result;
  const std::string terminal = "set term qt\n";
  const size_t at = script.find(terminal);
  if (at == std::string::npos) {
    result.errors = "no window terminal line in the script";
    return result;
  }
  const std::string picture = directory + "render.png";
  std::string rendered = script;
  rendered.replace(at, terminal.size(), "set term pngcairo\nset output \"render.png\"\n");
  const std::string scriptPath = directory + "render.gp";
  const std::string errorPath = directory + "render.err";
  WriteFile(scriptPath, rendered);
  std::filesystem::remove(picture);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
  posix_spawn_file_actions_addopen(&actions, 2, errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  std::vector<char*> argv = {const_cast<char*>("gnuplot"), const_cast<char*>(scriptPath.c_str()),
                             nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, "gnuplot", &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  result.errors = ReadFile(errorPath);
  std::error_code error;
  const auto size = std::filesystem::file_size(picture, error);
  result.pictureBytes = error ? 0 : static_cast<long long>(size);
  return result;
}

}  // namespace corvane::testing
