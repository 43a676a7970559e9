#include "output/gnuplot_launcher.h"

#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/c_format.h"
#include "support/temp_dir.h"

extern char** environ;

namespace corvane {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// Waits up to about five seconds for a file to appear.
bool AwaitFile(const std::string& path) {
  for (int i = 0; i < 500 && !FileExists(path); ++i) usleep(10000);
  return FileExists(path);
}

// An executable that writes its arguments, parent and session to a file.
std::string StandIn(const TempDir& dir, const std::string& name, const std::string& record) {
  const std::string path = dir.File(name);
  WriteFile(path, "#!/bin/sh\nprintf '%s|' \"$@\" > '" + record + ".tmp'\n" +
                      "echo \"$PPID $(cut -d' ' -f6 /proc/$$/stat)\" >> '" + record + ".tmp'\n" +
                      "mv '" + record + ".tmp' '" + record + "'\n");
  chmod(path.c_str(), 0755);
  return path;
}

TEST(GnuplotLauncherTest, StartsTheExecutableDetachedWithAnArgumentVector) {
  TempDir dir;
  const std::string record = dir.File("record");
  const std::string script = dir.File("odd 'name' \"with\" $(spaces).gp");
  std::string error;
  ASSERT_TRUE(LaunchGnuplot(StandIn(dir, "gnuplot-stand-in", record), script, &error)) << error;
  ASSERT_TRUE(AwaitFile(record));
  const std::string text = ReadFile(record);
  const size_t bar = text.rfind('|');
  EXPECT_EQ(text.substr(0, bar + 1), script + "|-persist|");
  long parent = 0, session = 0;
  ASSERT_EQ(std::sscanf(text.c_str() + bar + 1, "%ld %ld", &parent, &session), 2);
  EXPECT_NE(parent, static_cast<long>(getpid())) << "not a child of ours";
  EXPECT_NE(session, static_cast<long>(getsid(0))) << "a session of its own";
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1) << "nothing left to reap";
}

TEST(GnuplotLauncherTest, AnEmptyPathMeansGnuplotFromThePath) {
  TempDir dir;
  const std::string record = dir.File("record");
  StandIn(dir, "gnuplot", record);
  const std::string saved = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
  setenv("PATH", (dir.path() + ":" + saved).c_str(), 1);
  const bool launched = LaunchGnuplot("", "plot.gp");
  setenv("PATH", saved.c_str(), 1);
  ASSERT_TRUE(launched);
  ASSERT_TRUE(AwaitFile(record));
  EXPECT_EQ(ReadFile(record).substr(0, 17), "plot.gp|-persist|");
}

TEST(GnuplotLauncherTest, ReportsWhatCannotBeStarted) {
  TempDir dir;
  WriteFile(dir.File("not-executable"), "#!/bin/sh\n");
  WriteFile(dir.File("bad-format"), "this is no program\n");
  chmod(dir.File("bad-format").c_str(), 0755);
  for (const std::string& path : {dir.File("missing"), dir.File("not-executable"), dir.path(),
                                  dir.File("bad-format"), std::string("no-such-program-xyz")}) {
    SCOPED_TRACE(path);
    std::string error;
    EXPECT_FALSE(LaunchGnuplot(path, "plot.gp", &error));
    EXPECT_FALSE(error.empty());
  }
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1) << "nothing left to reap";
}

// The real gnuplot under a virtual display: its window opens and stays
// after the launch has returned and gnuplot's own main process has ended.
TEST(GnuplotLauncherTest, TheRealPlotWindowOpensAndStays) {
  TempDir dir;
  // Adopt the detached processes, so that this test can reap them.
  ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const std::string displayFd = std::to_string(fds[1]);
  std::vector<char*> xvfb = {const_cast<char*>("Xvfb"),
                             const_cast<char*>("-displayfd"),
                             const_cast<char*>(displayFd.c_str()),
                             const_cast<char*>("-nolisten"),
                             const_cast<char*>("tcp"),
                             nullptr};
  pid_t server = 0;
  ASSERT_EQ(posix_spawnp(&server, "Xvfb", nullptr, nullptr, xvfb.data(), environ), 0);
  close(fds[1]);
  char number[16] = {};
  ASSERT_GT(read(fds[0], number, sizeof number - 1), 0);
  close(fds[0]);
  const std::string display = ":" + std::to_string(std::atoi(number));

  const std::string script = dir.File("window.gp");
  WriteFile(script, "set term qt\nset title \"stays\"\nplot sin(x)\n");
  const char* saved = std::getenv("DISPLAY");
  const std::string savedDisplay = saved != nullptr ? saved : "";
  setenv("DISPLAY", display.c_str(), 1);
  std::string error;
  const bool launched = LaunchGnuplot("", script, &error);
  EXPECT_TRUE(launched) << error;

  bool window = false;
  const std::string windows = dir.File("windows");
  const std::string command = "xwininfo -root -tree -display " + display + " > " + windows;
  for (int i = 0; i < 100 && launched && !window; ++i) {
    usleep(100000);
    window = std::system(command.c_str()) == 0 &&
             ReadFile(windows).find("Gnuplot window") != std::string::npos;
  }
  EXPECT_TRUE(window);
  // gnuplot itself has ended by now (it ran the script); the window remains.
  usleep(500000);
  EXPECT_EQ(std::system(command.c_str()), 0);
  EXPECT_NE(ReadFile(windows).find("Gnuplot window"), std::string::npos);

  if (saved != nullptr) {
    setenv("DISPLAY", savedDisplay.c_str(), 1);
  } else {
    unsetenv("DISPLAY");
  }
  kill(server, SIGTERM);
  // The display is gone: the window's process ends; reap every adopted one.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    const pid_t reaped = waitpid(-1, nullptr, WNOHANG);
    if (reaped < 0) break;
    if (reaped == 0) usleep(50000);
  }
  prctl(PR_SET_CHILD_SUBREAPER, 0);
}

}  // namespace
}  // namespace corvane
