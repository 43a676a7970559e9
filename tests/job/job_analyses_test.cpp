// A local run through the job with the optional analyses on: the event echo
// search, the DFT spectra and the interval comparison, each ending in its
// files beside the plot files.
#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/c_format.h"
#include "eggdata/egg_data_generator.h"
#include "job_harness.h"
#include "output/summary_tables.h"
#include "support/text_lines.h"

namespace corvane {
namespace {

using testing::DataRange;
using testing::FileExists;
using testing::JobHarness;
using testing::Lines;
using testing::ReadFile;

// Field `column` (from 1) of line `index` of a data file.
std::string DataField(const std::string& text, std::size_t index, int column) {
  const std::vector<std::string> lines = Lines(text);
  if (index >= lines.size()) return "";
  std::istringstream fields(lines[index]);
  std::string field;
  for (int c = 0; c < column && fields >> field; ++c) {
  }
  return field;
}

// The line of a text that starts with prefix, or "".
std::string LineStarting(const std::string& text, const std::string& prefix) {
  for (const std::string& line : Lines(text)) {
    if (line.rfind(prefix, 0) == 0) return line;
  }
  return "";
}

TEST(JobAnalysesTest, EchoSpectraAndIntervalsOfABatchRun) {
  for (int method : {1, 2}) {
    SCOPED_TRACE(method == 1 ? "correlation" : "Euclidean distance");
    JobHarness h;
    ASSERT_TRUE(eggdata::WriteEggDataFile(
        h.dir.File("quake.csv"), DataRange("2011-05-03 09:00:00", "2011-05-03 14:00:00"), false));
    h.job->SetDft(true, 4096);
    h.job->SetCompareIntervals(true);
    h.job->SetIntervals(0, 5400, 3600);
    h.job->SetEchoMethod(method);
    h.job->SetEventTime("2011-05-03 10:30:00", 1800, 5);
    h.StartLocalRun("Quake", h.dir.File("quake.csv"), "2011-05-03 10:00:00", "2011-05-03 12:59:59",
                    true);
    h.TickUntilEnded();
    ASSERT_EQ(h.link.runEndedCount(), 1);
    EXPECT_TRUE(h.link.messages().empty());
    const std::string out = h.OutputDirectory("Quake");

    // The echo series is column 12 of the data file: the signature meets
    // itself at the event (one sample earlier for the Euclidean distance).
    const std::string data = ReadFile(out + "Quake.dat");
    ASSERT_EQ(Lines(data).size(), 10800u);
    EXPECT_EQ(DataField(data, method == 1 ? 1800 : 1799, 12), "1.000000");
    const std::string echo = ReadFile(out + "Quake_evcorr.dat");
    const std::vector<std::string> echoLines = Lines(echo);
    ASSERT_GE(echoLines.size(), 4u);
    EXPECT_EQ(echoLines[0], "Quake");
    EXPECT_EQ(echoLines[1], "Variable-5(lpvar);EventDuration=0.5000Hr.");
    EXPECT_EQ(echoLines[3], "PeakSec\tPeakHr\tPeakMag");

    // The statistics table names the search and repeats its mean of peaks.
    const std::string statistics = ReadFile(out + "Quake.tst");
    EXPECT_NE(statistics.find(method == 1 ? "Event echo method: Cosine\n"
                                          : "Event echo method: Euclidean distance\n"),
              std::string::npos);
    EXPECT_NE(statistics.find("Event echo variable: lpvar\n"), std::string::npos);
    const std::string mean = LineStarting(echo, "Mean of ");
    if (!mean.empty()) {
      const std::string count = mean.substr(8, 1);
      const std::string value = mean.substr(mean.rfind(' ') + 1);
      EXPECT_NE(statistics.find("Mean of " + count + " highest EventEcho peaks= " + value + "\n"),
                std::string::npos);
    } else {
      EXPECT_EQ(statistics.find("highest EventEcho peaks"), std::string::npos);
    }
    EXPECT_NE(statistics.find("\ntDF 7198\n"), std::string::npos);

    // Six spectra from the event on (9000 samples, blocks every 2048), and
    // the event's own spectra.
    for (const char* variable : {"eggvar", "lpdev", "alpdev", "lpadev", "lpvar", "lpmax"}) {
      SCOPED_TRACE(variable);
      EXPECT_NE(ReadFile(out + "Quake_" + variable + "_dft.dat")
                    .find(CFormat("\nQuake\nDFT(4096)Step(2048)%s\n", variable)),
                std::string::npos);
      EXPECT_EQ(Lines(ReadFile(h.root + variable + "_dft.dat")).size(), 5u);
    }
    const std::string eventTable = ReadFile(h.root + "event_dft.dat");
    EXPECT_NE(eventTable.find("Quake\tSignature\t"), std::string::npos);
    EXPECT_NE(eventTable.find("Quake\tPost-event\t"), std::string::npos);

    // The batch summary: its heading, then the run's line of 23 fields.
    const std::vector<std::string> summary = Lines(ReadFile(h.root + "summary.tst"));
    EXPECT_EQ(summary[0], "Root directory: " + h.root);
    ASSERT_GE(summary.size(), 3u);
    EXPECT_EQ(summary[summary.size() - 3], kSummaryColumnHeading);
    EXPECT_EQ(summary[summary.size() - 2], "");
    EXPECT_EQ(summary.back().rfind("Quake\t10\t", 0), 0u);
    EXPECT_EQ(std::count(summary.back().begin(), summary.back().end(), '\t'), 23);
    EXPECT_NE(summary.back().find("\t10800\t"), std::string::npos);
  }
}

}  // namespace
}  // namespace corvane
