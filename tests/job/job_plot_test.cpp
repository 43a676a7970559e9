// What becomes of a run's plot: the real gnuplot draws it, a Stop while the
// results are written keeps the plot window shut, and a later "Display"
// job rewrites the script for another variable and launches it.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include <gtest/gtest.h>

#include "core/date_time.h"
#include "eggdata/egg_data_generator.h"
#include "job_harness.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using testing::FileExists;
using testing::JobHarness;
using testing::ProgressLogCapture;
using testing::ReadFile;
using testing::RecordingLink;
using testing::WriteFile;

constexpr const char* kStart = "2011-05-03 10:00:00";
constexpr const char* kStop = "2011-05-03 13:00:00";

void WriteData(const std::string& path) {
  ASSERT_TRUE(eggdata::WriteEggDataFile(path, testing::DataRange(kStart, kStop, 12), false));
}

// Runs a program with its arguments and waits for it; its exit status.
int RunProgram(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST(JobPlotTest, TheRealGnuplotDrawsTheRunsScriptAndData) {
  const std::string gnuplot = "/usr/bin/gnuplot";
  if (access(gnuplot.c_str(), X_OK) != 0) GTEST_SKIP() << "gnuplot is not installed";
  JobHarness h;
  WriteData(h.dir.File("quake.csv"));
  h.StartLocalRun("Quake", h.dir.File("quake.csv"), kStart, kStop);
  h.TickUntilEnded();
  ASSERT_TRUE(h.link.messages().empty());
  // The same script on a text terminal, so that no window is needed.
  std::string script = ReadFile(h.OutputDirectory("Quake") + "Quake.gp");
  const size_t firstLineEnd = script.find('\n');
  ASSERT_EQ(script.rfind("set term ", 0), 0u);
  const std::string plot = h.dir.File("plot.txt");
  script.replace(0, firstLineEnd, "set term dumb size 100,30\nset output '" + plot + "'");
  WriteFile(h.dir.File("text.gp"), script);
  EXPECT_EQ(RunProgram({gnuplot, h.dir.File("text.gp")}), 0);
  const std::string drawn = ReadFile(plot);
  EXPECT_NE(drawn.find("Composite: 12 eggs"), std::string::npos) << drawn;
  EXPECT_NE(drawn.find("Quake 2011-05-03 10:00:00 -- 13:00:00"), std::string::npos) << drawn;
}

// Presses Stop when the results writer announces its files.
class StopWhenWriting : public RecordingLink {
 public:
  void PostStatus(const std::string& text) override {
    RecordingLink::PostStatus(text);
    if (text == "Writing results file" && job != nullptr) job->StopAnalysis();
  }
  CEggStatistics* job = nullptr;
};

TEST(JobPlotTest, AStopWhileResultsAreWrittenLaunchesNoPlot) {
  StopWhenWriting link;
  JobHarness h(&link);
  link.job = h.job.get();
  ProgressLogCapture log(h.dir.File("egg.log"));
  WriteData(h.dir.File("quake.csv"));
  h.StartLocalRun("Quake", h.dir.File("quake.csv"), kStart, kStop);
  h.TickUntilEnded(1);
  EXPECT_TRUE(h.job->Ended());
  EXPECT_EQ(link.runEndedCount(), 1);
  EXPECT_TRUE(FileExists(h.OutputDirectory("Quake") + "Quake.inf"));
  EXPECT_EQ(log.Contents().find("Launching wgnuplot"), std::string::npos);
}

TEST(JobPlotTest, AStopFromTheFormDuringARunEndsItOnce) {
  JobHarness h;
  ASSERT_TRUE(eggdata::WriteEggDataFile(
      h.dir.File("day.gz"),
      [] {
        eggdata::EggDataOptions options;
        options.start = SecondsFromText("2011-05-03 00:00:00");
        options.stop = options.start + 86399;
        return options;
      }(),
      true));
  ASSERT_TRUE(h.job->StartThread());
  h.StartLocalRun("Day", h.dir.File("day.gz"), "2011-05-03 00:00:00", "2011-05-03 06:00:00");
  h.job->StopAnalysis();
  ASSERT_TRUE(h.link.WaitForRunEnded(60s));
  EXPECT_TRUE(h.link.messages().empty());
  EXPECT_EQ(h.job->JobStage(), 0);
  h.job.reset();
  EXPECT_EQ(h.link.runEndedCount(), 1);
}

TEST(JobPlotTest, ADisplayJobRewritesTheScriptForTheChosenVariable) {
  JobHarness h;
  WriteData(h.dir.File("quake.csv"));
  h.StartLocalRun("Quake", h.dir.File("quake.csv"), kStart, kStop);
  h.TickUntilEnded();
  ASSERT_TRUE(h.link.messages().empty());
  ASSERT_FALSE(h.WaitForGnuplotArguments().empty());
  std::filesystem::remove(h.gnuplot_arguments);
  const std::string data = ReadFile(h.OutputDirectory("Quake") + "Quake.dat");

  RecordingLink form;
  CEggStatistics display(&form, &form);
  display.SetLocalEggFile("");
  display.SetRootDirectory(h.root);
  display.SetRemoteAccess(false, false);
  display.SetGnuplotPath(h.gnuplot);
  display.StartDisplay("Quake", 8, "LP-filtered egg variance");
  display.OnJobTimer();
  EXPECT_TRUE(display.Ended());
  EXPECT_TRUE(form.messages().empty());
  EXPECT_EQ(form.runEndedCount(), 1);
  const std::string script = ReadFile(h.OutputDirectory("Quake") + "Quake.gp");
  EXPECT_NE(script.find("set ylabel \"LP-filtered egg variance\""), std::string::npos) << script;
  EXPECT_NE(script.find("using 1:8 title \"LP-filtered egg variance\""), std::string::npos);
  EXPECT_EQ(h.WaitForGnuplotArguments(), h.OutputDirectory("Quake") + "Quake.gp\n-persist\n");
  EXPECT_EQ(ReadFile(h.OutputDirectory("Quake") + "Quake.dat"), data);
}

TEST(JobPlotTest, ADisplayOfARunThatWasNeverMadeSaysSoAndEnds) {
  JobHarness h;
  RecordingLink& form = h.link;
  h.job->SetRootDirectory(h.root);
  h.job->SetGnuplotPath(h.gnuplot);
  h.job->StartDisplay("Nothing", 2, "Stouffer_Z Deviation");
  h.TickUntilEnded();
  EXPECT_EQ(form.messageTexts(),
            std::vector<std::string>{"Failed to open gnuplot inf file for input"});
  EXPECT_EQ(form.runEndedCount(), 1);
  EXPECT_FALSE(FileExists(h.OutputDirectory("Nothing") + "Nothing.gp"));
}

}  // namespace
}  // namespace corvane
