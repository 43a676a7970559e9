// A batch run with the optional analyses on (event echo by either method,
// DFT spectra, interval comparison) ends in their files beside the plot
// files. The exact formats are checked end to end in the cli tests.
#include <sstream>

#include <gtest/gtest.h>

#include "job_harness.h"

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
    const std::string statistics = ReadFile(h.Output("Quake", "Quake.tst"));
    EXPECT_TRUE(Contains(statistics, method == 1 ? "Event echo method: Cosine\n"
                                                 : "Event echo method: Euclidean distance\n"));
    EXPECT_TRUE(Contains(statistics, "\ntDF 7198\n"));
    // Spectra from the event on: 9000 samples, blocks every 2048.
    for (const char* variable : {"eggvar", "lpdev", "alpdev", "lpadev", "lpvar", "lpmax"}) {
      EXPECT_EQ(Lines(ReadFile(h.root + variable + "_dft.dat")).size(), 5u) << variable;
    }
    EXPECT_TRUE(Contains(ReadFile(h.root + "event_dft.dat"), "Quake\tSignature\t"));
    EXPECT_TRUE(Contains(ReadFile(h.root + "summary.tst"), "\nQuake\t10\t"));
  }
}

}  // namespace
}  // namespace corvane
