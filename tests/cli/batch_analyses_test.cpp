// corvane-cli batches with the optional analyses on: every table and file
// of the interval comparison, the event echo search, the DFT spectra and
// the sound files, with their formats.
#include <filesystem>
#include <regex>

#include <gtest/gtest.h>

#include "cli/cli_options.h"
#include "cli_fixture.h"
#include "core/date_time.h"
#include "output/summary_tables.h"
#include "support/text_lines.h"
#include "support/wave_probe.h"

namespace corvane {
namespace {

using testing::CliTest;
using testing::Lines;
using testing::ReadFile;

const std::string kNumber = "-?[0-9]+\\.[0-9]{6}";  // "%f"

// count fields of "%f\t".
std::string Numbers(int count) { return "(" + kNumber + "\t){" + std::to_string(count) + "}"; }

// Each line of the file matches its pattern; "*" stands for any number of
// lines of the pattern that follows it.
void ExpectLines(const std::string& file, const std::vector<std::string>& patterns) {
  SCOPED_TRACE(file);
  const std::vector<std::string> lines = Lines(ReadFile(file));
  size_t line = 0;
  for (size_t p = 0; p < patterns.size(); ++p) {
    if (patterns[p] == "*") {
      for (++p; line < lines.size() && std::regex_match(lines[line], std::regex(patterns[p]));)
        ++line;
      continue;
    }
    ASSERT_LT(line, lines.size()) << patterns[p];
    EXPECT_TRUE(std::regex_match(lines[line++], std::regex(patterns[p]))) << lines[line - 1];
  }
  EXPECT_EQ(line, lines.size());
}

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
  const auto result = batch({"Quake1", "Quake2"});
  ASSERT_EQ(result.exitCode, kExitOk) << result.err;
  const char* variables[] = {"eggvar", "lpdev", "alpdev", "lpadev", "lpvar", "lpmax"};
  const std::string coeff = "Exponential smoothing window - Coeff= 0\\.000100";
  for (const std::string name : {"Quake1", "Quake2"}) {
    const std::string out = root_ + name + "/" + name;
    std::vector<std::string> table = {"interval1Start 0",
                                      "interval2Start 1800",
                                      "intervalDuration 1800",
                                      "useableEggs 60",
                                      coeff,
                                      "Event echo method: Cosine",
                                      "Event echo variable: lpvar",
                                      "*",
                                      "Mean of [123] highest EventEcho peaks= " + kNumber,
                                      "",
                                      "tDF 3598"};
    for (const char* v : {"cvar", "eggvar", "lpvar", "alpdev", "lpadev", "lpmax"}) {
      for (const std::string& line :
           {std::string(), "interval1Mean_" + std::string(v) + " " + kNumber,
            "interval2Mean_" + std::string(v) + " " + kNumber, "t-value " + kNumber,
            "tProb " + kNumber}) {
        table.push_back(line);
      }
    }
    ExpectLines(out + ".tst", table);
    ExpectLines(out + "_evcorr.dat",
                {name, "Variable-5\\(lpvar\\);EventDuration=0\\.1000Hr\\.",
                 "Exponential\\(Coeff=0\\.000100\\)", "PeakSec\tPeakHr\tPeakMag", "*",
                 "[0-9]+\t" + kNumber + "\t" + kNumber, "*",
                 "MaxCorr after event:\t[0-9]+\t" + kNumber + "\t" + kNumber, "*",
                 "Mean of [123] highest event echo correlation peaks= " + kNumber});
    // From the event (sample 1200) on: 2400 samples, 10 blocks of 30 bins.
    for (const char* v : variables) {
      const std::string bin = kNumber + "\t" + kNumber + "\t" + kNumber + "\t" + kNumber;
      std::vector<std::string> spectrum = {"", name, std::string("DFT\\(512\\)Step\\(256\\)") + v,
                                           "Exponential-Coeff=0\\.000100"};
      for (int block = 0; block < 10; ++block) {
        spectrum.insert(spectrum.end(), {"", "cyclePerSec\tcyclePerHr\thrPerCycle\tpower"});
        spectrum.insert(spectrum.end(), 30, bin);
      }
      ExpectLines(out + "_" + v + "_dft.dat", spectrum);
    }
    EXPECT_TRUE(ReadFile(out + "_event_dft.dat")
                    .find("DFT(16384)Step(16384)event\n"
                          "Exponential-Coeff=0.000100\nSignature\n") != std::string::npos);
  }
  for (const char* v : variables) {
    std::vector<std::string> table(10, "Quake1\t" + Numbers(30));
    table.insert(table.end(), 10, "Quake2\t" + Numbers(30));
    ExpectLines(root_ + v + "_dft.dat", table);
  }
  ExpectLines(root_ + "event_dft.dat", {"*", "Quake[12]\t(Signature|Post-event)\t" + Numbers(30)});

  // The summary: its heading once, then a line of 23 fields per run; a new
  // table after the summary was deleted gets the heading again.
  const std::vector<std::string> heading = {
      "Root directory: " + root_,
      "interval1Start 0",
      "interval2Start 1800",
      "intervalDuration 1800",
      coeff,
      "",
      std::regex_replace(kSummaryColumnHeading, std::regex("[()]"), "\\$&"),
      ""};
  const std::string row = "\t60\t" + kNumber + "\t3600\t" + Numbers(19);
  std::vector<std::string> summary = heading;
  summary.insert(summary.end(), {"Quake1" + row, "Quake2" + row});
  ExpectLines(root_ + "summary.tst", summary);
  std::filesystem::remove(root_ + "summary.tst");
  ASSERT_EQ(batch({"Quake3"}).exitCode, kExitOk);
  summary = heading;
  summary.push_back("Quake3" + row);
  ExpectLines(root_ + "summary.tst", summary);
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
    const std::string bytes = ReadFile(stem + suffix);
    ASSERT_GT(bytes.size(), 46u + 4 * 1600) << suffix;  // four notes of 100 ms or more
    EXPECT_EQ(bytes.size(), 46u + testing::LittleEndianField(bytes, 42, 4)) << suffix;
    EXPECT_EQ(testing::CommandOutput("soxi -r '" + stem + suffix + "'"), "8000") << suffix;
  }
  // The note before the peak sounds near the top of the range, the one
  // after it in the middle.
  const std::vector<std::int16_t> lpdev = testing::ReadWaveSamples(stem + "_lpdev.wav");
  const auto rests = testing::FindRests(lpdev);
  ASSERT_EQ(rests.size(), 1u);
  const auto [begin, end] = rests[0];
  EXPECT_NEAR(double(end - begin), 2000.0, 40.0);
  ASSERT_TRUE(begin >= 1600 && lpdev.size() - end >= 1600);
  EXPECT_GT(testing::ZeroCrossingFrequency(lpdev, begin - 500, begin - 100, 8000), 1650.0);
  const double after = testing::ZeroCrossingFrequency(lpdev, end + 100, end + 500, 8000);
  EXPECT_TRUE(after > 700.0 && after < 1400.0) << after;
}

}  // namespace
}  // namespace corvane
