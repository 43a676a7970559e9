// Local runs made through the setters, from the data files to the plot files
// and the launched plot; with LogProgress off they write no progress log.
// What a run says about its input: a subgroup's ids the data lacks, and
// repeated, backward and missing seconds.
#include <filesystem>
#include <optional>

#include <gtest/gtest.h>

#include "core/progress_log.h"
#include "job_harness.h"
#include "support/edited_egg_data.h"
#include "support/gnuplot_recorder.h"

namespace corvane {
namespace {

using testing::DataRange;
using testing::FileExists;
using testing::JobHarness;
using testing::Lines;
using testing::ReadFile;

// The information file's record count and the egg count of its Stouffer
// legend ("...: N eggs:").
std::vector<std::string> Information(const JobHarness& h) {
  std::vector<std::string> lines = Lines(ReadFile(h.Output("Quake", "Quake.inf")));
  if (lines.size() < 3) return lines;
  const size_t colon = lines[2].find(": ");
  return {lines[0], lines[2].substr(colon + 2, lines[2].find(" eggs:") - colon - 2)};
}

TEST(LocalRunTest, SingleAndMultiDayRunsPlainAndCompressedEndInThePlotFilesAndAPlot) {
  const struct {
    bool gzip, batch;
    const char *start, *stop;
    int files, records;
  } cases[] = {
      {false, true, "2011-05-03 10:00:00", "2011-05-03 11:00:00", 1, 3601},
      {true, false, "2010-12-31 23:00:00", "2011-01-01 01:00:00", 2, 7201},
      {false, false, "2011-05-03 23:30:00", "2011-05-05 00:30:00", 3, 90001},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.start) + (c.gzip ? " gz" : " csv"));
    JobHarness h;
    // The files hold an hour more on either side than the run asks for.
    eggdata::EggDataOptions options = DataRange(c.start, c.stop);
    options.start -= 3600;
    options.stop += 3600;
    const auto written =
        eggdata::WriteEggDataDays(h.dir.File(c.gzip ? "q.gz" : "q.csv"), options, c.gzip);
    ASSERT_EQ(written.size(), static_cast<size_t>(c.files));

    SetLogPath(h.dir.File("egg.log"));  // with LogProgress off
    h.RunLocal("Quake", written[0], c.start, c.stop, c.batch);
    SetLogPath("");
    EXPECT_FALSE(FileExists(h.dir.File("egg.log")));
    EXPECT_EQ(h.link.messageTexts(), std::vector<std::string>{});
    EXPECT_EQ(h.link.runEndedCount(), 1);
    EXPECT_EQ(Information(h),
              (std::vector<std::string>{"nRecords " + std::to_string(c.records), "10"}));
    // Whole data: no notes of skipped records or missing seconds.
    for (const char* file : {"Quake.inf", "Quake.tst"}) {
      const std::string text = ReadFile(h.Output("Quake", file));
      EXPECT_EQ(text.find("skippedRecords"), std::string::npos) << file;
      EXPECT_EQ(text.find("missingSeconds"), std::string::npos) << file;
    }
    // A batch run shows no plot.
    EXPECT_EQ(c.batch ? testing::WaitForRecord(h.gnuplotRecord, std::chrono::milliseconds(300))
                      : testing::WaitForRecord(h.gnuplotRecord),
              c.batch ? ""
                      : "-e\nset term qt 0 title \"Quake\"\n" +
                            h.Output("Quake", "Quake.gp\n-persist\n"));
  }
}

// A subgroup restricts the run to its eggs (its ids the data lacks are named
// in the log and counted once), or ends it without useable eggs; a subgroup
// file that is refused refuses the run before it reads or writes. Refusals
// come in a message box, or in batch mode as a line of the summary table.
TEST(LocalRunTest, ASubgroupRestrictsTheRunToItsEggsOrEndsItWithoutThem) {
  const struct {
    const char* name;                 // of the subgroup file
    std::optional<std::string> text;  // none: no such file
    bool batch;
    const char* eggs;     // "": the run ends without eggs
    std::string refusal;  // %s: the subgroup file's path
  } cases[] = {
      {"three.esg", "# three of sixty, two the file lacks\n6\n1004 4002 1021\n1056 4001 4002\n",
       false, "3", ""},
      {"none.esg", "# none of the file\n2\n4001 4002\n", true, "", "No useable eggs"},
      {"comma.esg", "3\n1001,1002,1003\n", false, "",
       "Egg subgroup file %s: \"1001,1002,1003\" is not a whole number"},
      {"typo.esg", std::nullopt, true, "",
       "Egg subgroup file %s cannot be read: No such file or directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + (c.batch ? " in batch mode" : ""));
    JobHarness h;
    testing::ProgressLogCapture log(h.dir.File("egg.log"));
    const std::string path = h.dir.File(c.name);
    if (c.text) testing::WriteFile(path, *c.text);
    h.job->ReadEggGroupFile(path);
    h.RunLocal("Quake",
               h.WriteData("q.csv", DataRange("2011-05-03 10:00:00", "2011-05-03 11:00:00", 60)),
               "2011-05-03 10:00:00", "2011-05-03 11:00:00", c.batch);
    EXPECT_EQ(h.link.runEndedCount(), 1);
    std::string refusal = c.refusal.empty() ? "" : "Quake: " + c.refusal;
    if (const size_t at = refusal.find("%s"); at != std::string::npos) refusal.replace(at, 2, path);
    EXPECT_EQ(h.link.messageTexts(),
              refusal.empty() || c.batch ? std::vector<std::string>{} : std::vector{refusal});
    EXPECT_EQ(ReadFile(h.root + "summary.tst"), c.batch ? refusal + "\n" : "");
    EXPECT_EQ(std::filesystem::exists(h.root + "Quake"), *c.eggs != 0);
    const bool read = c.text && c.refusal.find("subgroup") == std::string::npos;
    EXPECT_EQ(testing::Count(log.Contents(), "\nEgg subgroup ids not in the data: 4001 4002\n"),
              read ? 1 : 0);
    const std::vector<std::string> information = Information(h);
    EXPECT_EQ(information.size() == 2 ? information[1] : "", c.eggs);
    if (*c.eggs != 0) {
      EXPECT_EQ(Lines(ReadFile(h.Output("Quake", "Quake.inf"))).back(), "absentSubgroupEggs 2");
    }
  }
}

// How many records were skipped and seconds missed is the reader's; the run
// puts the notes in the progress log, the information file (at its end) and
// the statistics file (after the useable egg count).
TEST(InputNotesTest, SkippedRecordsAndMissingSecondsAreNotedOnlyWhenThereAreAny) {
  JobHarness h;
  testing::ProgressLogCapture log(h.dir.File("egg.log"));
  const std::string data = h.dir.File("q.csv");
  testing::WriteFile(
      data, testing::EditedEggData(DataRange("2011-05-03 10:00:00", "2011-05-03 11:00:00"), 100, 50,
                                   1000, 30));
  h.job->SetCompareIntervals(true);
  h.job->SetIntervals(0, 1800, 600);
  h.RunLocal("Quake", data, "2011-05-03 10:00:00", "2011-05-03 11:00:00", true);
  EXPECT_EQ(h.link.runEndedCount(), 1);
  EXPECT_EQ(ReadFile(h.root + "summary.tst").find("Quake: "), std::string::npos);
  const std::string notes = "skippedRecords 3\nmissingSeconds 30\n";
  const std::string information = ReadFile(h.Output("Quake", "Quake.inf"));
  ASSERT_GT(information.size(), notes.size());
  EXPECT_EQ(information.substr(information.size() - notes.size()), notes);
  const std::string statistics = ReadFile(h.Output("Quake", "Quake.tst"));
  EXPECT_NE(statistics.find("useableEggs 10\n" + notes + "Exponential"), std::string::npos)
      << statistics;
  EXPECT_NE(
      log.Contents().find("Skipped 3 records whose time stamp was not later than the one before\n"
                          "30 seconds missing between records\n"),
      std::string::npos)
      << log.Contents();
}

}  // namespace
}  // namespace corvane
