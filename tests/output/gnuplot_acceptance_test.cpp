// The scripts that the results writer and the display generate, run by the
// real gnuplot with a file terminal in place of the window; and the real
// window, launched under a virtual display.
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "output/gnuplot_launcher.h"
#include "output/plot_script.h"
#include "output/plot_windows.h"
#include "results_run.h"

extern char** environ;

namespace corvane {
namespace {

using testing::ReadFile;
using testing::ResultsRun;

// Runs gnuplot, in the run's temporary directory, on the run's script with
// the window terminal replaced by a file terminal, and expects a picture
// without a word on standard error. Returns the picture.
std::string Render(const ResultsRun& run, const std::string& terminal = "pngcairo") {
  std::string script = run.Read(".gp");
  const size_t at = script.find("set term qt");
  if (at == std::string::npos) {
    ADD_FAILURE() << "no window terminal";
    return "";
  }
  script.insert(script.find('\n', at) + 1, "set output \"picture\"\n");
  script.replace(at, 11, "set term " + terminal);
  const std::string directory = run.root.path();
  testing::WriteFile(directory + "render.gp", script);
  std::filesystem::remove(directory + "picture");
  const std::string command = "cd " + directory + " && gnuplot render.gp 2>render.err </dev/null";
  EXPECT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadFile(directory + "render.err"), "");
  const std::string drawn = ReadFile(directory + "picture");
  EXPECT_GT(drawn.size(), 1000u);
  return drawn;
}

// Underscores, carets and braces are common in data names: titles, labels
// and legends are drawn as written, not as sub- and superscripts. Quotes,
// backslashes and back quotes of the output root are read literally. A run
// that holds no whole hour has an empty tick list; a longer one, with what an
// event echo search leaves behind (an all-zero column draws with gnuplot's
// warning about an empty range), draws for every display variable, and with
// pictures on each display redraws the picture (the run's gnuplot hands it to
// the real one) before the window is launched. A picture that cannot be
// drawn is reported and fails the display; the script is the new one all the
// same, and the earlier picture stays.
TEST(GnuplotAcceptanceTest, AnalysisAndEveryDisplayVariableDraw) {
  ResultsRun run("Quake_2011^{b}", "my \"odd\" \\root `touch injected` $HOME");
  run.Run(testing::FourEggs(60, 4), "2011-05-03 10:00:05");
  ASSERT_FALSE(run.context.Aborted());
  EXPECT_NE(run.Read(".gp").find("set xtics ( \\\n\\\n    )\n"), std::string::npos);
  const std::string drawn = Render(run, "svg");
  EXPECT_NE(drawn.find(">Quake_2011^{b} 2011-05-03 10:00:05 -- 10:01:04<"), std::string::npos);
  EXPECT_NE(drawn.find(">Stouffer_Z Deviation<"), std::string::npos);

  ResultSteps steps;
  steps.eventEcho = [&] {
    for (size_t i = 0; i < run.series.eventEcho.size(); ++i) {
      run.series.eventEcho[i] = std::sin(static_cast<double>(i) * 0.01);
    }
  };
  run.Run(testing::FourEggs(7300, 4), "2011-05-03 22:30:00", steps);
  ASSERT_FALSE(run.context.Aborted());
  Render(run);
  run.context.settings.batchMode = false;
  run.context.settings.plotPictures = PictureFormat::kSvg;
  for (const int code : {2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}) {
    SCOPED_TRACE(code);
    const std::string label =
        code == 13 ? "Egg_Covariance `of` \\eggs" : "Variable " + std::to_string(code);
    run.Display(code, label);
    EXPECT_FALSE(run.context.Aborted());
    Render(run);
    const std::string picture = run.Read(".svg");
    EXPECT_NE(picture.find(">" + label + "<"), std::string::npos);
    EXPECT_NE(picture.find("> Quake_2011^{b} 2011-05-03 22:30:00 -- 2011-05-04 00:31:39<"),
              std::string::npos);
  }
  EXPECT_EQ(run.link.messageTexts(), std::vector<std::string>{});
  const std::string picture = run.Read(".svg");
  run.context.settings.gnuplotPath = run.root.File("missing-gnuplot");
  run.Display(5, "Deviation");
  EXPECT_TRUE(run.context.Failed());
  // The launch fails too, after the picture.
  const std::vector<std::string> messages = run.link.messageTexts();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], "Failed to draw the plot picture " + run.Path(".svg") + ": " +
                             run.root.File("missing-gnuplot") + ": No such file or directory");
  EXPECT_EQ(messages[1], "Failed to launch Gnuplot: " + run.root.File("missing-gnuplot") +
                             ": No such file or directory. Set the gnuplot executable in "
                             "Options > Customize.");
  EXPECT_NE(run.Read(".gp").find("title \"Deviation\""), std::string::npos);
  EXPECT_EQ(run.Read(".svg"), picture);
  EXPECT_FALSE(testing::FileExists(run.root.File("injected")));
}

// A virtual X display of its own, named by DISPLAY for the test's lifetime;
// gnuplot's window processes, adopted by the test, are reaped when it ends.
class VirtualDisplay {
 public:
  VirtualDisplay() {
    EXPECT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);  // adopt the detached processes to reap them
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    const std::string fd = std::to_string(fds[1]);
    const char* xvfb[] = {"Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", nullptr};
    EXPECT_EQ(posix_spawnp(&server_, "Xvfb", nullptr, nullptr, const_cast<char**>(xvfb), environ),
              0);
    close(fds[1]);
    char number[16] = {};
    EXPECT_GT(read(fds[0], number, sizeof number - 1), 0);
    close(fds[0]);
    name_ = ":" + std::to_string(std::atoi(number));
    const char* given = std::getenv("DISPLAY");
    saved_ = given != nullptr ? given : "";
    setenv("DISPLAY", name_.c_str(), 1);
  }
  ~VirtualDisplay() {
    saved_.empty() ? unsetenv("DISPLAY") : setenv("DISPLAY", saved_.c_str(), 1);
    kill(server_, SIGTERM);  // the windows' processes end with the display
    const auto reaped = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < reaped && waitpid(-1, nullptr, WNOHANG) >= 0) {
      usleep(50000);
    }
    prctl(PR_SET_CHILD_SUBREAPER, 0);
  }
  pid_t server() const { return server_; }
  // The top-level window names on the display, one per line.
  std::string WindowNames() const {
    const std::string command =
        "xwininfo -root -children -display " + name_ +
        " | sed -n 's/^ *0x[0-9a-f]* \"\\(.*\\)\": (\"gnuplot_qt.*/\\1/p' | sort";
    std::string names;
    if (FILE* pipe = popen(command.c_str(), "r")) {
      char line[256];
      while (std::fgets(line, sizeof line, pipe) != nullptr) names += line;
      pclose(pipe);
    }
    return names;
  }
  // Waits until the window names are `expected`; false at the deadline.
  bool WaitForWindows(const std::string& expected) const {
    // A loaded machine may take its time: the deadline is generous.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (WindowNames() != expected) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      usleep(100000);
    }
    return true;
  }

 private:
  pid_t server_ = 0;
  std::string name_;
  std::string saved_;  // DISPLAY before
};

// The real gnuplot under a virtual display: each plot window is titled with
// its data name and stays after the launch has returned and gnuplot's own
// main process has ended; a new plot of a name replaces the window of its
// earlier plot, and other names keep theirs.
TEST(GnuplotAcceptanceTest, TheRealPlotWindowOpensAndStays) {
  testing::TempDir dir;
  VirtualDisplay display;
  testing::WriteFile(dir.File("first.gp"), std::string(kTerminalLine) + "plot sin(x)\n");
  testing::WriteFile(dir.File("second.gp"), std::string(kTerminalLine) + "plot cos(x)\n");
  PlotWindows windows;
  testing::RecordingLink link;
  auto launch = [&](const std::string& name, const std::string& script) {
    RunContext context(&link, &link);
    context.settings.dataName = name;
    context.plotWindows = &windows;
    EXPECT_TRUE(LaunchPlot(context, dir.File(script)));
  };
  launch("Quake_1 \"big\"", "first.gp");
  EXPECT_TRUE(display.WaitForWindows("Quake_1 \"big\"\n")) << display.WindowNames();
  // gnuplot's own process, adopted by us, ends; the window remains.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  bool gnuplotEnded = false;
  while (!gnuplotEnded && std::chrono::steady_clock::now() < deadline) {
    const pid_t ended = waitpid(-1, nullptr, WNOHANG);
    gnuplotEnded = ended > 0 && ended != display.server();
    if (ended <= 0) usleep(50000);
  }
  EXPECT_TRUE(gnuplotEnded);
  EXPECT_EQ(display.WindowNames(), "Quake_1 \"big\"\n");
  launch("Other", "first.gp");
  EXPECT_TRUE(display.WaitForWindows("Other\nQuake_1 \"big\"\n")) << display.WindowNames();
  launch("Quake_1 \"big\"", "second.gp");
  launch("Quake_1 \"big\"", "first.gp");
  // Give a window that should not be there the time to show up.
  EXPECT_TRUE(display.WaitForWindows("Other\nQuake_1 \"big\"\n")) << display.WindowNames();
  const auto settle = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (std::chrono::steady_clock::now() < settle) {
    EXPECT_EQ(display.WindowNames(), "Other\nQuake_1 \"big\"\n");
    usleep(200000);
  }
  EXPECT_EQ(windows.Number("Quake_1 \"big\""), 0);
  EXPECT_EQ(windows.Number("Other"), 1);
  EXPECT_TRUE(link.messages().empty());
}

}  // namespace
}  // namespace corvane
