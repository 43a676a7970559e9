// A run's results as a whole: every file of a run with all its analyses
// appears together or not at all, whatever step a Stop or a full disk
// interrupts, and the output root's shared tables get the run's lines only
// with its files.
#include <filesystem>

#include <gtest/gtest.h>

#include "audio/sonification.h"
#include "output/summary_tables.h"
#include "output/write_results.h"
#include "results_run.h"
#include "stats/dft_files.h"
#include "stats/event_echo.h"
#include "support/folder_snapshot.h"
#include "support/small_disk.h"
#include "support/text_lines.h"

namespace corvane {
namespace {

using testing::DifferentFiles;
using testing::FolderSnapshot;
using testing::Lines;
using testing::ReadFile;

// Runs "Write results" of a batch run named Quake below root with every
// analysis on; a run stopped at its stopAt-th status when stopAt > 0.
// Returns the messages shown.
std::vector<testing::ShownMessage> RunAll(const std::string& root, int samples, int seed,
                                          int stopAt, bool batch = true, bool analyses = true) {
  testing::ResultsRun run("Quake");
  run.link.stopAt = stopAt;
  AnalysisSettings& s = run.context.settings;
  s.rootDirectory = root;
  s.outputDirectory = root + "Quake/";
  s.batchMode = batch;
  s.audio = s.dft = s.compareIntervals = analyses;
  s.dftSize = 256;
  s.interval2Start = samples / 2;
  s.intervalDuration = samples / 4;
  s.echoMethod = analyses ? kEchoCorrelation : kEchoNone;
  s.startTime = SecondsFromText("2011-05-03 10:00:00");
  s.eventTime = s.startTime + 600;
  s.eventTimeText = "2011-05-03 10:10:00";
  s.eventDuration = 300;
  ResultSteps steps;
  steps.createAudioFiles = [&] { CreateAudioFiles(run.context, run.series, 0); };
  steps.eventEcho = [&] { RunEventEcho(run.context, run.table, run.series); };
  steps.dftSpectra = [&] { RunDftSpectra(run.context, run.table, run.series); };
  steps.compareIntervals = [&] { CompareIntervals(run.context, run.table, run.series); };
  run.Run(testing::FourEggs(samples, seed), "2011-05-03 10:00:00", steps);
  return run.link.messages();
}

// A Stop at every status a run posts, from the statistics through each
// analysis to the plot files: the earlier results, the summary and the
// spectrum tables stay exactly as they were. The run that is not stopped
// replaces them, whole. The output root is named relative to the current
// directory: the plot files are named absolutely, the analyses' files
// relatively, and all of them go into the one set.
TEST(ResultSetsTest, AStopAtAnyStepLeavesTheEarlierResultsAndTablesAsTheyWere) {
  testing::TempDir root;
  const std::string relative =
      std::filesystem::relative(root.path(), std::filesystem::current_path()).string() + "/";
  ASSERT_NE(relative[0], '/');
  ASSERT_TRUE(RunAll(relative, 2400, 1, 0).empty());
  const auto earlier = FolderSnapshot(root.path());
  for (const char* file :
       {"Quake/Quake.dat", "Quake/Quake.gp", "Quake/Quake.inf", "Quake/Quake.tst",
        "Quake/Quake_evcorr.dat", "Quake/Quake_lpvar.wav", "Quake/Quake_lpmax_dft.dat",
        "Quake/Quake_event_dft.dat", "summary.tst", "lpvar_dft.dat", "event_dft.dat"}) {
    EXPECT_EQ(earlier.count(file), 1u) << file;
  }
  int stops = 0;
  for (int stopAt = 1;; ++stopAt) {
    SCOPED_TRACE(stopAt);
    RunAll(relative, 3000, 2, stopAt);
    if (!DifferentFiles(FolderSnapshot(root.path()), earlier).empty()) break;
    ++stops;
    ASSERT_LT(stopAt, 100) << "the run never got through";
  }
  EXPECT_GT(stops, 12) << "a stop in every analysis";
  // The run that got through wrote a whole new set and added its lines.
  const auto later = FolderSnapshot(root.path());
  EXPECT_EQ(later.size(), earlier.size());
  EXPECT_EQ(Lines(later.at("Quake/Quake.dat")).size(), 3000u);
  EXPECT_EQ(later.at("Quake/Quake.inf").rfind("nRecords 3000\n", 0), 0u);
  for (const char* file : {"Quake/Quake.gp", "Quake/Quake.tst", "Quake/Quake_lpvar.wav"}) {
    EXPECT_NE(later.at(file), earlier.at(file)) << file;
  }
}

// An output root on a full disk: the run says which file could not be
// written and why, keeps the earlier results, and leaves no pending file.
// In batch mode the message goes to the summary table: the run's own files
// are dropped first to make room for it.
TEST(ResultSetsTest, AFullDiskIsReportedWithThePathAndTheEarlierResultsStay) {
  testing::SmallDisk disk(2 << 20);
  if (!disk.ok()) GTEST_SKIP() << disk.reason();
  const std::string root = disk.path() + "out/";
  std::filesystem::create_directories(root);
  ASSERT_TRUE(RunAll(root, 600, 1, 0, true, false).empty());
  const auto earlier = FolderSnapshot(root + "Quake/");
  const std::string data = root + "Quake/Quake.dat";
  const std::string failure =
      "Failed to write gnuplot dat file " + data + ": No space left on device";

  // Room for a summary line, not for the data of 3600 samples.
  disk.Fill(64 << 10);
  const auto shown = RunAll(root, 3600, 2, 0, false, false);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, failure);
  EXPECT_EQ(DifferentFiles(FolderSnapshot(root + "Quake/"), earlier), std::vector<std::string>());
  EXPECT_TRUE(RunAll(root, 3600, 2, 0, true, false).empty());
  EXPECT_EQ(Lines(ReadFile(root + "summary.tst")).back(), "Quake: " + failure);
  EXPECT_EQ(DifferentFiles(FolderSnapshot(root + "Quake/"), earlier), std::vector<std::string>());
}

}  // namespace
}  // namespace corvane
