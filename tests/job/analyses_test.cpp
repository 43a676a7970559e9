// Local runs with the optional analyses on (event echo, DFT spectra,
// interval comparison, audio) end in their files beside the plot files; a
// later "Display" job rewrites the plot script and shows it.
#include <algorithm>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "core/c_format.h"
#include "job_harness.h"
#include "output/summary_tables.h"
#include "support/wave_probe.h"

namespace corvane {
namespace {

using testing::DataRange;
using testing::JobHarness;
using testing::Lines;
using testing::ReadFile;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(AnalysesTest, EchoSpectraAndIntervalsOfABatchRun) {
  for (int method : {1, 2}) {
    SCOPED_TRACE(method);
    JobHarness h;
    testing::ProgressLogCapture log(h.dir.File("egg.log"));
    h.job->SetDft(true, 4096);
    h.job->SetCompareIntervals(true);
    h.job->SetIntervals(0, 5400, 3600);
    h.job->SetEchoMethod(method);
    h.job->SetEventTime("2011-05-03 10:30:00", 1800, 5);
    h.RunLocal("Quake",
               h.WriteData("q.csv", DataRange("2011-05-03 09:00:00", "2011-05-03 14:00:00")),
               "2011-05-03 10:00:00", "2011-05-03 12:59:59", true);
    EXPECT_EQ(h.link.messageTexts(), std::vector<std::string>{});
    EXPECT_FALSE(Contains(log.Contents(), "Launching wgnuplot"));  // a batch run shows no plot

    // The echo series, column 12 of the data: the signature meets itself at
    // the event (a sample earlier for the Euclidean distance).
    const std::vector<std::string> data = Lines(ReadFile(h.Output("Quake", "Quake.dat")));
    ASSERT_EQ(data.size(), 10800u);
    std::istringstream atEvent(data[method == 1 ? 1800 : 1799]);
    std::string field;
    for (int column = 0; column < 12; ++column) atEvent >> field;
    EXPECT_EQ(field, "1.000000");
    EXPECT_TRUE(Contains(ReadFile(h.Output("Quake", "Quake_evcorr.dat")),
                         "Quake\nVariable-5(lpvar);EventDuration=0.5000Hr.\n"));
    const std::string statistics = ReadFile(h.Output("Quake", "Quake.tst"));
    EXPECT_TRUE(Contains(statistics, method == 1 ? "Event echo method: Cosine\n"
                                                 : "Event echo method: Euclidean distance\n"));
    EXPECT_TRUE(Contains(statistics, "\ntDF 7198\n"));
    for (const char* variable : {"eggvar", "lpdev", "alpdev", "lpadev", "lpvar", "lpmax"}) {
      EXPECT_TRUE(Contains(ReadFile(h.Output("Quake", CFormat("Quake_%s_dft.dat", variable))),
                           CFormat("\nQuake\nDFT(4096)Step(2048)%s\n", variable)));
      // Spectra from the event on: 9000 samples, blocks every 2048.
      EXPECT_EQ(Lines(ReadFile(h.root + variable + "_dft.dat")).size(), 5u) << variable;
    }
    EXPECT_TRUE(Contains(ReadFile(h.root + "event_dft.dat"), "Quake\tSignature\t"));
    const std::vector<std::string> summary = Lines(ReadFile(h.root + "summary.tst"));
    ASSERT_GE(summary.size(), 3u);
    EXPECT_EQ(summary[summary.size() - 3], kSummaryColumnHeading);
    EXPECT_EQ(summary.back().rfind("Quake\t10\t", 0), 0u);
    EXPECT_EQ(std::count(summary.back().begin(), summary.back().end(), '\t'), 23);
  }
}

TEST(AnalysesTest, ARunWithAudioWritesFiveSoundFilesFromItsOwnCopyOfTheSettings) {
  JobHarness h;
  // Ten eggs 5 high in the first of two hours: in blocks of half an hour
  // lpdev rises, rises, peaks (a rest), falls and falls.
  eggdata::EggDataOptions options = DataRange("2011-05-03 10:00:00", "2011-05-03 12:00:00");
  options.meanShift = 5.0;
  options.shiftStart = options.start;
  options.shiftStop = options.start + 3599;
  AudioSettings audio;
  audio.dataBlockSize = 1800;
  h.job->SetAudio(true, audio);
  audio.dataBlockSize = 1;  // the form's dialog changes its block during the run
  h.RunLocal("Quake", h.WriteData("q.csv", options), "2011-05-03 10:00:00", "2011-05-03 12:00:00");
  EXPECT_EQ(h.link.messageTexts(), std::vector<std::string>{});
  for (const char* suffix :
       {"_lpvar.wav", "_lpdev.wav", "_alpdev.wav", "_lpmax.wav", "_cumdevVar.wav"}) {
    const std::string bytes = ReadFile(h.Output("Quake", std::string("Quake") + suffix));
    EXPECT_EQ(bytes.size(), 46u + testing::LittleEndianField(bytes + std::string(46, '\0'), 42, 4))
        << suffix;
    EXPECT_GT(bytes.size(), 46u + 4 * 1600) << suffix;  // four notes of 100 ms or more
  }
  EXPECT_EQ(
      testing::FindRests(testing::ReadWaveSamples(h.Output("Quake", "Quake_lpdev.wav"))).size(),
      1u);
}

TEST(AnalysesTest, ADisplayJobRewritesTheScriptForTheChosenVariableAndShowsIt) {
  JobHarness h;
  h.RunLocal("Quake", h.WriteData("q.csv", DataRange("2011-05-03 10:00:00", "2011-05-03 13:00:00")),
             "2011-05-03 10:00:00", "2011-05-03 13:00:00");
  ASSERT_FALSE(h.GnuplotArguments().empty());
  std::filesystem::remove(h.gnuplotRecord);
  const std::string data = ReadFile(h.Output("Quake", "Quake.dat"));
  testing::RecordingLink form;
  CEggStatistics display(&form, &form);
  display.SetRootDirectory(h.root);
  display.SetGnuplotPath(h.gnuplot);
  display.StartDisplay("Quake", 8, "LP-filtered egg variance");
  display.OnJobTimer();
  EXPECT_TRUE(display.Ended());
  EXPECT_EQ(form.runEndedCount(), 1);
  EXPECT_EQ(form.messageTexts(), std::vector<std::string>{});
  const std::string script = ReadFile(h.Output("Quake", "Quake.gp"));
  EXPECT_TRUE(Contains(script, "set ylabel \"LP-filtered egg variance\"")) << script;
  EXPECT_TRUE(Contains(script, "using 1:8 title \"LP-filtered egg variance\""));
  EXPECT_EQ(h.GnuplotArguments(), h.Output("Quake", "Quake.gp\n-persist\n"));
  EXPECT_EQ(ReadFile(h.Output("Quake", "Quake.dat")), data);
}

}  // namespace
}  // namespace corvane
