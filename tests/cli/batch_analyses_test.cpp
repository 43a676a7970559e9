// corvane-cli batches with the optional analyses on: every table and file
// of the interval comparison, the event echo search, the DFT spectra and
// the sound files, with their formats.
#include <filesystem>
#include <regex>

#include <gtest/gtest.h>

#include "cli/cli_options.h"
#include "cli_fixture.h"
#include "core/data_name.h"
#include "core/date_time.h"
#include "support/text_lines.h"
#include "support/wave_probe.h"

namespace corvane {
namespace {

using testing::CliTest;
using testing::Contains;
using testing::Lines;
using testing::ReadFile;

const std::string kNumber = "-?[0-9]+\\.[0-9]{6}";  // "%f"

// The lines of the file that match the pattern.
int Matching(const std::string& file, const std::string& pattern) {
  int count = 0;
  for (const std::string& line : Lines(ReadFile(file)))
    count += std::regex_match(line, std::regex(pattern));
  return count;
}

// The line formats of each table and file are checked where they are
// written; here what only the whole run shows: every file is there and
// holds the batch's settings, and the summary heading comes once per table.
// Every table the run leaves in the output root bears a name that no run
// may take: items of those names are refused.
TEST_F(CliTest, EveryTableAndFileOfTheAnalysesAndTheSummaryHeadingOncePerTable) {
  auto batch = [&](const std::vector<std::string>& names) {
    std::string text = "DataDirectory " + root_ +
                       "\nCompareIntervals 1 0 1800 1800\nEventEchoDetect 1 5\nDFTOutput 1 1000\n";
    for (size_t i = 0; i < names.size(); ++i) {
      const std::string date = i % 2 == 0 ? "2011-05-03" : "2011-05-04";
      text += "LocalEggFile " + EggFile(names[i] + ".csv", date) + "\n" + names[i] + " " + date +
              " 00:00:00 " + date + " 00:59:59 " + date + " 00:20:00 0.1\n";
    }
    return RunBatch(text);
  };
  const auto result = batch({"Quake1", "Quake2", "summary.tst", "LPVAR_dft.dat"});
  ASSERT_EQ(result.exitCode, kExitItemsFailed) << result.err;
  for (const std::string name : {"Quake1", "Quake2"}) {
    SCOPED_TRACE(name);
    const std::string out = root_ + name + "/" + name;
    const std::string table = ReadFile(out + ".tst");
    EXPECT_EQ(table.rfind("interval1Start 0\ninterval2Start 1800\nintervalDuration 1800\n"
                          "useableEggs 60\nExponential smoothing window - Coeff= 0.000100\n"
                          "Event echo method: Cosine\nEvent echo variable: lpvar\n",
                          0),
              0u)
        << table;
    EXPECT_TRUE(Contains(ReadFile(out + "_evcorr.dat"), "EventDuration=0.1000Hr.")) << name;
    // From the event on: 2400 samples, 10 blocks of 512 (the size the batch
    // asked for, reduced to a power of two) in each spectrum table.
    for (const char* v : {"eggvar", "lpdev", "alpdev", "lpadev", "lpvar", "lpmax"}) {
      EXPECT_TRUE(std::filesystem::exists(out + "_" + v + "_dft.dat")) << v;
      EXPECT_EQ(Matching(root_ + v + "_dft.dat", name + "\t(" + kNumber + "\t){30}"), 10) << v;
    }
    EXPECT_EQ(Matching(root_ + "event_dft.dat", name + "\t(Signature|Post-event)\t.*"), 2);
  }

  int tables = 0;
  for (const auto& entry : std::filesystem::directory_iterator(root_)) {
    if (!entry.is_regular_file()) continue;
    ++tables;
    EXPECT_TRUE(IsRootTableName(entry.path().filename().string())) << entry.path();
  }
  // The summary, the results and series tables, six variables' and the
  // event's spectra.
  EXPECT_EQ(tables, 10);
  EXPECT_FALSE(std::filesystem::exists(root_ + "LPVAR_dft.dat"));

  // The summary: its heading once, then a line of 23 fields per run and one
  // per refusal; a new table after the summary was deleted gets the heading
  // again.
  const std::string row = "\t60\t" + kNumber + "\t3600\t(" + kNumber + "\t){19}";
  const auto expectSummary = [&](const std::vector<std::string>& names, size_t refused) {
    const std::string summary = ReadFile(root_ + "summary.tst");
    EXPECT_EQ(summary.rfind("Root directory: " + root_ + "\ninterval1Start 0\n", 0), 0u) << summary;
    EXPECT_EQ(Matching(root_ + "summary.tst", "Root directory: .*"), 1);
    EXPECT_EQ(Lines(summary).size(), 8 + names.size() + refused);
    for (const std::string& name : names) EXPECT_EQ(Matching(root_ + "summary.tst", name + row), 1);
  };
  expectSummary({"Quake1", "Quake2"}, 2);
  for (const std::string name : {"summary.tst", "LPVAR_dft.dat"}) {
    EXPECT_EQ(Matching(root_ + "summary.tst", name + ": The data name " + name +
                                                  " is the name of a table in the output root.*"),
              1);
  }
  std::filesystem::remove(root_ + "summary.tst");
  ASSERT_EQ(batch({"Quake3"}).exitCode, kExitOk);
  expectSummary({"Quake3"}, 0);
}

TEST_F(CliTest, ABatchWithAudioOutputWritesFiveSoundFilesWithNotesAndARestAtThePeak) {
  // Ten eggs 5 high in the first of two hours: lpdev (exponential, 0.001)
  // climbs for an hour and falls after it. In blocks of half an hour: rise,
  // rise, a rest at the peak, fall, fall.
  eggdata::EggDataOptions options;
  options.start = SecondsFromText("2011-05-03 10:00:00");
  options.stop = options.start + 7200;
  options.eggCount = 10;
  options.meanShift = 5.0;
  options.shiftStart = options.start;
  options.shiftStop = options.start + 3599;
  const auto result = RunBatch(
      "DataDirectory " + root_ + "\nAudioOutput 1\nLocalEggFile " +
          EggFile("peak.csv", "", options) + "\nPeak 2011-05-03 10:00:00 2011-05-03 12:00:00\n",
      {"--set", "DataBlockSize=1800", "--set", "SmoothWindowType=0", "--set", "ExpCoeff=0.001"});
  ASSERT_EQ(result.exitCode, kExitOk) << result.err;
  const std::string stem = root_ + "Peak/Peak";
  for (const char* suffix :
       {"_lpvar.wav", "_lpdev.wav", "_alpdev.wav", "_lpmax.wav", "_cumdevVar.wav"}) {
    // Four notes of 100 ms or more after the header.
    ASSERT_GT(ReadFile(stem + suffix).size(), 46u + 4 * 1600) << suffix;
  }
  // The rest at the peak, between the notes of the rise and of the fall.
  const std::vector<std::int16_t> lpdev = testing::ReadWaveSamples(stem + "_lpdev.wav");
  const auto rests = testing::FindRests(lpdev);
  ASSERT_EQ(rests.size(), 1u);
  const auto [begin, end] = rests[0];
  EXPECT_NEAR(double(end - begin), 2000.0, 40.0);
  EXPECT_TRUE(begin >= 1600 && lpdev.size() - end >= 1600);
}

}  // namespace
}  // namespace corvane
