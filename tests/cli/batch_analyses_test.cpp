// corvane-cli batch, end to end, with the optional analyses of a run on:
// interval comparison, event echo search and DFT spectra. Every table and
// file they write is checked line by line for its format.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli_fixture.h"
#include "output/summary_tables.h"
#include "support/text_lines.h"

namespace corvane {
namespace {

using testing::CliTest;
using testing::FileExists;
using testing::Lines;
using testing::ProgramResult;
using testing::ReadFile;

const std::string kNumber = "-?[0-9]+\\.[0-9]{6}";  // "%f"

bool Matches(const std::string& line, const std::string& pattern) {
  return std::regex_match(line, std::regex(pattern));
}

// count fields of "%f\t", as the spectrum tables and run lines end.
std::string Numbers(int count) { return "(" + kNumber + "\t){" + std::to_string(count) + "}"; }

class BatchAnalysesTest : public CliTest {
 protected:
  std::string Batch(const std::vector<std::string>& names) {
    std::string text = "DataDirectory " + root_ +
                       "\nCompareIntervals 1 0 1800 1800\nEventEchoDetect 1 5\nDFTOutput 1 1000\n";
    for (std::size_t i = 0; i < names.size(); ++i) {
      const std::string date = i % 2 == 0 ? "2011-05-03" : "2011-05-04";
      text += "LocalEggFile " + EggFile(names[i] + ".csv", date) + "\n" + names[i] + " " + date +
              " 00:00:00 " + date + " 00:59:59 " + date + " 00:20:00 0.1\n";
    }
    return WriteBatch("analyses.ebb", text);
  }

  void ExpectStatisticsTable(const std::string& name) {
    SCOPED_TRACE(name + ".tst");
    std::vector<std::string> lines = Lines(ReadFile(root_ + name + "/" + name + ".tst"));
    // The mean of the highest post-event peaks is there only when the
    // search found a peak after the event.
    const bool peaks = lines.size() > 7 && lines[7].rfind("Mean of ", 0) == 0;
    if (peaks) {
      EXPECT_TRUE(Matches(lines[7], "Mean of [123] highest EventEcho peaks= " + kNumber));
      lines.erase(lines.begin() + 7);
    }
    const std::vector<std::string> head = {"interval1Start 0",
                                           "interval2Start 1800",
                                           "intervalDuration 1800",
                                           "useableEggs 60",
                                           "Exponential smoothing window - Coeff= 0.000100",
                                           "Event echo method: Cosine",
                                           "Event echo variable: lpvar",
                                           "",
                                           "tDF 3598"};
    ASSERT_EQ(lines.size(), head.size() + 6 * 5);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + head.size()), head);
    const char* variables[] = {"cvar", "eggvar", "lpvar", "alpdev", "lpadev", "lpmax"};
    for (int v = 0; v < 6; ++v) {
      const std::size_t at = head.size() + 5 * v;
      EXPECT_EQ(lines[at], "");
      EXPECT_TRUE(
          Matches(lines[at + 1], std::string("interval1Mean_") + variables[v] + " " + kNumber));
      EXPECT_TRUE(
          Matches(lines[at + 2], std::string("interval2Mean_") + variables[v] + " " + kNumber));
      EXPECT_TRUE(Matches(lines[at + 3], "t-value " + kNumber)) << lines[at + 3];
      EXPECT_TRUE(Matches(lines[at + 4], "tProb " + kNumber)) << lines[at + 4];
    }
  }

  // Returns the number of peaks listed.
  std::size_t ExpectEchoFile(const std::string& name) {
    SCOPED_TRACE(name + "_evcorr.dat");
    const std::vector<std::string> lines =
        Lines(ReadFile(root_ + name + "/" + name + "_evcorr.dat"));
    EXPECT_GE(lines.size(), 4u);
    if (lines.size() < 4) return 0;
    EXPECT_EQ(lines[0], name);
    EXPECT_EQ(lines[1], "Variable-5(lpvar);EventDuration=0.1000Hr.");
    EXPECT_EQ(lines[2], "Exponential(Coeff=0.000100)");
    EXPECT_EQ(lines[3], "PeakSec\tPeakHr\tPeakMag");
    std::size_t i = 4;
    while (i < lines.size() && Matches(lines[i], "[0-9]+\t" + kNumber + "\t" + kNumber)) ++i;
    if (i < lines.size()) {
      EXPECT_TRUE(Matches(lines[i], "MaxCorr after event:\t[0-9]+\t" + kNumber + "\t" + kNumber));
      EXPECT_EQ(i + 2, lines.size());
      EXPECT_TRUE(
          i + 1 < lines.size() &&
          Matches(lines[i + 1], "Mean of [123] highest event echo correlation peaks= " + kNumber));
    }
    return i - 4;
  }

  void ExpectSpectra(const std::string& name) {
    SCOPED_TRACE(name + " spectra");
    for (const char* variable : {"eggvar", "lpdev", "alpdev", "lpadev", "lpvar", "lpmax"}) {
      const std::vector<std::string> lines =
          Lines(ReadFile(root_ + name + "/" + name + "_" + variable + "_dft.dat"));
      ASSERT_GE(lines.size(), 5u) << variable;
      EXPECT_EQ(lines[1], name);
      EXPECT_EQ(lines[2], std::string("DFT(512)Step(256)") + variable);
      EXPECT_EQ(lines[3], "Exponential-Coeff=0.000100");
      // From the event (sample 1200) to the end: 2400 samples, 10 blocks of
      // 30 bins each.
      int bins = 0;
      for (const std::string& line : lines) {
        bins += Matches(line, kNumber + "\t" + kNumber + "\t" + kNumber + "\t" + kNumber);
      }
      EXPECT_EQ(bins, 10 * 30) << variable;
    }
    const std::string perRunEvent = ReadFile(root_ + name + "/" + name + "_event_dft.dat");
    EXPECT_NE(
        perRunEvent.find("DFT(16384)Step(16384)event\nExponential-Coeff=0.000100\nSignature\n"),
        std::string::npos);
  }
};

TEST_F(BatchAnalysesTest, EveryTableAndFileOfTheAnalyses) {
  const ProgramResult result =
      Run({"batch", "--set", "TempDir=" + temp_, Batch({"Quake1", "Quake2"})});
  ASSERT_FALSE(result.crashed) << result.err;
  ASSERT_EQ(result.exitCode, kExitOk) << result.err;
  std::size_t peaks = 0;
  for (const std::string name : {"Quake1", "Quake2"}) {
    ExpectStatisticsTable(name);
    peaks += ExpectEchoFile(name);
    ExpectSpectra(name);
  }
  EXPECT_GT(peaks, 0u) << "no echo peak in either run";
  // The root's spectrum tables: one line of 30 powers per block and run.
  for (const char* variable : {"eggvar", "lpdev", "alpdev", "lpadev", "lpvar", "lpmax"}) {
    const std::vector<std::string> lines = Lines(ReadFile(root_ + variable + "_dft.dat"));
    ASSERT_EQ(lines.size(), 20u) << variable;
    for (std::size_t i = 0; i < 20; ++i) {
      EXPECT_TRUE(Matches(lines[i], (i < 10 ? "Quake1\t" : "Quake2\t") + Numbers(30))) << i;
    }
  }
  const std::vector<std::string> event = Lines(ReadFile(root_ + "event_dft.dat"));
  ASSERT_FALSE(event.empty());
  for (const std::string& line : event) {
    EXPECT_TRUE(Matches(line, "Quake[12]\t(Signature|Post-event)\t" + Numbers(30))) << line;
  }

  // The summary: the heading once, then one 23-field line per run.
  const std::vector<std::string> summary = Lines(ReadFile(root_ + "summary.tst"));
  const std::vector<std::string> heading = {"Root directory: " + root_,
                                            "interval1Start 0",
                                            "interval2Start 1800",
                                            "intervalDuration 1800",
                                            "Exponential smoothing window - Coeff= 0.000100",
                                            "",
                                            kSummaryColumnHeading,
                                            ""};
  ASSERT_EQ(summary.size(), heading.size() + 2);
  EXPECT_EQ(std::vector<std::string>(summary.begin(), summary.begin() + 8), heading);
  EXPECT_TRUE(Matches(summary[8], "Quake1\t60\t" + kNumber + "\t3600\t" + Numbers(19)))
      << summary[8];
  EXPECT_TRUE(Matches(summary[9], "Quake2\t60\t" + kNumber + "\t3600\t" + Numbers(19)))
      << summary[9];

  // Deleted between batches, the summary gets its heading again.
  std::filesystem::remove(root_ + "summary.tst");
  const ProgramResult again = Run({"batch", "--set", "TempDir=" + temp_, Batch({"Quake3"})});
  ASSERT_EQ(again.exitCode, kExitOk) << again.err;
  const std::vector<std::string> fresh = Lines(ReadFile(root_ + "summary.tst"));
  ASSERT_EQ(fresh.size(), heading.size() + 1);
  EXPECT_EQ(std::vector<std::string>(fresh.begin(), fresh.begin() + 8), heading);
  EXPECT_EQ(fresh[8].rfind("Quake3\t60\t", 0), 0u);
  EXPECT_TRUE(FileExists(root_ + "Quake3/Quake3_evcorr.dat"));
}

}  // namespace
}  // namespace corvane
