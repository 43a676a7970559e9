// Local runs made through the setters, from the data files to the plot files
// and the launched plot; with LogProgress off they write no progress log.
#include <filesystem>

#include <gtest/gtest.h>

#include "core/progress_log.h"
#include "job_harness.h"
#include "support/gnuplot_recorder.h"

namespace corvane {
namespace {

using testing::DataRange;
using testing::FileExists;
using testing::JobHarness;
using testing::Lines;
using testing::ReadFile;

// The information file's record count, title and the egg count of its
// Stouffer legend ("...: N eggs:").
std::vector<std::string> Information(const JobHarness& h) {
  std::vector<std::string> lines = Lines(ReadFile(h.Output("Quake", "Quake.inf")));
  if (lines.size() < 3) return lines;
  const size_t colon = lines[2].find(": ");
  lines[2] = lines[2].substr(colon + 2, lines[2].find(" eggs:") - colon - 2);
  lines.resize(3);
  return lines;
}

TEST(LocalRunTest, SingleAndMultiDayRunsPlainAndCompressedEndInThePlotFilesAndAPlot) {
  const struct {
    bool gzip, batch;
    const char *start, *stop;
    int files, records;
    const char* title;
  } cases[] = {
      {false, true, "2011-05-03 10:00:00", "2011-05-03 11:00:00", 1, 3601,
       "2011-05-03 10:00:00 -- 11:00:00"},
      {true, false, "2010-12-31 23:00:00", "2011-01-01 01:00:00", 2, 7201,
       "2010-12-31 23:00:00 -- 2011-01-01 01:00:00"},
      {false, false, "2011-05-03 23:30:00", "2011-05-05 00:30:00", 3, 90001,
       "2011-05-03 23:30:00 -- 2011-05-05 00:30:00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.start) + (c.gzip ? " gz" : " csv"));
    JobHarness h;
    std::filesystem::create_directories(h.dir.File("data"));
    // The files hold an hour more on either side than the run asks for.
    eggdata::EggDataOptions options = DataRange(c.start, c.stop);
    options.start -= 3600;
    options.stop += 3600;
    const auto written =
        eggdata::WriteEggDataDays(h.dir.File(c.gzip ? "data/q.gz" : "data/q.csv"), options, c.gzip);
    ASSERT_EQ(written.size(), static_cast<size_t>(c.files));
    const std::string original = ReadFile(written.back());

    SetLogPath(h.dir.File("egg.log"));  // with LogProgress off
    h.RunLocal("Quake", written[0], c.start, c.stop, c.batch);
    SetLogPath("");
    EXPECT_FALSE(FileExists(h.dir.File("egg.log")));
    EXPECT_EQ(h.link.messageTexts(), std::vector<std::string>{});
    EXPECT_EQ(h.link.runEndedCount(), 1);
    EXPECT_EQ(Information(h),
              (std::vector<std::string>{"nRecords " + std::to_string(c.records),
                                        std::string("title Quake ") + c.title, "10"}));
    EXPECT_EQ(Lines(ReadFile(h.Output("Quake", "Quake.dat"))).size(), size_t(c.records));
    // A batch run shows no plot.
    EXPECT_EQ(c.batch ? testing::WaitForRecord(h.gnuplotRecord, std::chrono::milliseconds(300))
                      : h.GnuplotArguments(),
              c.batch ? ""
                      : "-e\nset term qt 0 title \"Quake\"\n" +
                            h.Output("Quake", "Quake.gp\n-persist\n"));
    // Compressed input is read as it is inflated: nothing is written to the
    // temporary directory; the user's files stay as they were, and nothing
    // is added beside them.
    EXPECT_FALSE(FileExists(h.temp + "data.csv"));
    EXPECT_FALSE(FileExists(h.temp + "data_2.csv"));
    EXPECT_EQ(ReadFile(written.back()), original);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(h.dir.File("data")), {}), c.files);
  }
}

TEST(LocalRunTest, ASubgroupRestrictsTheRunToItsEggsOrEndsItWithoutThem) {
  const struct {
    const char* group;
    bool batch;
    const char* eggs;  // "": no useable eggs
  } cases[] = {{"# three of sixty, one the file lacks\n4\n1004 1021\n1056 4001\n", false, "3"},
               {"# none of the file\n2\n4001 4002\n", false, ""},
               {"# none of the file\n2\n4001 4002\n", true, ""}};
  for (const auto& c : cases) {
    JobHarness h;
    testing::WriteFile(h.dir.File("group.esg"), c.group);
    h.job->ReadEggGroupFile(h.dir.File("group.esg"));
    h.RunLocal("Quake",
               h.WriteData("q.csv", DataRange("2011-05-03 10:00:00", "2011-05-03 11:00:00", 60)),
               "2011-05-03 10:00:00", "2011-05-03 11:00:00", c.batch);
    EXPECT_EQ(h.link.runEndedCount(), 1);
    // Without eggs: a message box, or in batch mode a line of the summary.
    const std::string refusal = *c.eggs != 0 ? "" : "Quake: No useable eggs";
    EXPECT_EQ(h.link.messageTexts(), refusal.empty() || c.batch
                                         ? std::vector<std::string>{}
                                         : std::vector<std::string>{refusal});
    EXPECT_EQ(ReadFile(h.root + "summary.tst"), c.batch ? refusal + "\n" : "");
    EXPECT_EQ(Information(h).size() == 3 ? Information(h)[2] : "", c.eggs);
  }
}

}  // namespace
}  // namespace corvane
