// Local runs made through the setters, from the data files to the plot files
// and the launched plot.
#include <chrono>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "core/date_time.h"
#include "eggdata/egg_data_generator.h"
#include "job_harness.h"
#include "output/summary_tables.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using eggdata::EggDataOptions;
using testing::DataRange;
using testing::FileExists;
using testing::JobHarness;
using testing::ProgressLogCapture;
using testing::ReadFile;
using testing::WriteFile;

// The lines of a text, without their line feeds.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The information file's first lines: record count, title, Stouffer legend.
struct Information {
  std::string records, title, legend;
};

Information ReadInformation(const JobHarness& h, const std::string& name) {
  const std::vector<std::string> lines = Lines(ReadFile(h.OutputDirectory(name) + name + ".inf"));
  Information information;
  if (lines.size() >= 3) information = {lines[0], lines[1], lines[2]};
  return information;
}

std::string EggsOfLegend(const Information& information) {
  const size_t eggs = information.legend.find(" eggs:");
  const size_t colon = information.legend.find(": ");
  if (eggs == std::string::npos || colon == std::string::npos) return "";
  return information.legend.substr(colon + 2, eggs - colon - 2);
}

struct RunCase {
  bool gzip;
  const char* start;
  const char* stop;
  int files;
  const char* records;
  const char* title;
};

TEST(JobLocalRunTest, SingleAndMultiDayRunsPlainAndCompressedEndInThePlotFiles) {
  const RunCase cases[] = {
      {false, "2011-05-03 10:00:00", "2011-05-03 11:00:00", 1, "nRecords 3601",
       "title Quake 2011-05-03 10:00:00 -- 11:00:00"},
      {true, "2011-05-03 10:00:00", "2011-05-03 11:00:00", 1, "nRecords 3601",
       "title Quake 2011-05-03 10:00:00 -- 11:00:00"},
      // Across a year end: two day segments, two files.
      {false, "2010-12-31 23:00:00", "2011-01-01 01:00:00", 2, "nRecords 7201",
       "title Quake 2010-12-31 23:00:00 -- 2011-01-01 01:00:00"},
      {true, "2010-12-31 23:00:00", "2011-01-01 01:00:00", 2, "nRecords 7201",
       "title Quake 2010-12-31 23:00:00 -- 2011-01-01 01:00:00"},
      // Three dates: the middle one is read whole.
      {true, "2011-05-03 23:30:00", "2011-05-05 00:30:00", 3, "nRecords 90001",
       "title Quake 2011-05-03 23:30:00 -- 2011-05-05 00:30:00"},
  };
  for (const RunCase& c : cases) {
    SCOPED_TRACE(std::string(c.start) + (c.gzip ? " gz" : " csv"));
    JobHarness h;
    const std::string first = h.dir.File(c.gzip ? "data/quake.gz" : "data/quake.csv");
    std::filesystem::create_directories(h.dir.File("data"));
    // The files hold an hour more on either side than the run asks for.
    EggDataOptions options = DataRange(c.start, c.stop);
    options.start -= 3600;
    options.stop += 3600;
    const std::vector<std::string> written = eggdata::WriteEggDataDays(first, options, c.gzip);
    ASSERT_EQ(written.size(), static_cast<size_t>(c.files));
    const std::string original = ReadFile(written.back());

    h.StartLocalRun("Quake", first, c.start, c.stop);
    h.TickUntilEnded();
    EXPECT_TRUE(h.link.messages().empty()) << h.link.messageTexts()[0];
    EXPECT_EQ(h.link.runEndedCount(), 1);
    const Information information = ReadInformation(h, "Quake");
    EXPECT_EQ(information.records, c.records);
    EXPECT_EQ(information.title, c.title);
    EXPECT_EQ(EggsOfLegend(information), "10");
    EXPECT_EQ(Lines(ReadFile(h.OutputDirectory("Quake") + "Quake.dat")).size(),
              std::stoul(std::string(c.records).substr(9)));
    EXPECT_EQ(h.WaitForGnuplotArguments(), h.OutputDirectory("Quake") + "Quake.gp\n-persist\n");
    // Compressed input is inflated into the temporary directory, never beside
    // the user's files, which stay as they were.
    EXPECT_EQ(FileExists(h.temp + "data.csv"), c.gzip);
    EXPECT_EQ(FileExists(h.temp + "data_" + std::to_string(c.files) + ".csv"),
              c.gzip && c.files > 1);
    EXPECT_EQ(ReadFile(written.back()), original);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(h.dir.File("data")),
                            std::filesystem::directory_iterator()),
              c.files);
  }
}

// Records the job's stage with every status the run posts.
class StageRecordingLink : public testing::RecordingLink {
 public:
  void PostStatus(const std::string& text) override {
    RecordingLink::PostStatus(text);
    if (job != nullptr) stages.push_back(text + " " + std::to_string(job->JobStage()));
  }
  CEggStatistics* job = nullptr;
  std::vector<std::string> stages;
};

TEST(JobLocalRunTest, TheProgressLogStatusesAndStagesFollowTheRun) {
  StageRecordingLink link;
  JobHarness h(&link);
  link.job = h.job.get();
  ProgressLogCapture log(h.dir.File("egg.log"));
  ASSERT_FALSE(eggdata::WriteEggDataDays(h.dir.File("quake.csv"),
                                         DataRange("2010-12-31 23:00:00", "2011-01-01 01:00:00"),
                                         false)
                   .empty());
  h.StartLocalRun("Quake", h.dir.File("quake.csv"), "2010-12-31 23:00:00", "2011-01-01 01:00:00");
  h.TickUntilEnded();
  ASSERT_EQ(link.runEndedCount(), 1);
  const std::vector<std::string> expected = {"",
                                             "",
                                             "Quake",
                                             "Process local file(s)",
                                             "Read local file",
                                             "Append local file",
                                             "Compute statistics",
                                             "Write results",
                                             h.gnuplot,
                                             h.OutputDirectory("Quake") + "Quake.gp -persist",
                                             "Launching wgnuplot",
                                             "Launch was successful",
                                             "CEggStatistics::Cleanup done",
                                             "Exit CEggStatistics"};
  EXPECT_EQ(Lines(log.Contents()), expected);
  // The form's progress bar shows stage x 20 and stops reading at 5.
  const std::vector<std::string> stages = {"Reading local file 2", "Computing statistics 3",
                                           "Smoothing data 1",     "Writing results file 2",
                                           "Generating plot 4",    " 0"};
  EXPECT_EQ(link.stages, stages);
}

TEST(JobLocalRunTest, TheTimeFilterKeepsRecordsAtBothBoundsAndResolutionTwoHalvesTheSamples) {
  for (int resolution : {1, 2}) {
    JobHarness h;
    ASSERT_TRUE(eggdata::WriteEggDataFile(
        h.dir.File("quake.csv"), DataRange("2011-05-03 09:00:00", "2011-05-03 12:00:00"), false));
    h.job->SetResolution(resolution);
    h.StartLocalRun("Quake", h.dir.File("quake.csv"), "2011-05-03 10:00:00", "2011-05-03 11:00:00");
    h.TickUntilEnded();
    ASSERT_EQ(h.link.runEndedCount(), 1);
    EXPECT_TRUE(h.link.messages().empty());
    // 3601 records; at resolution 2 the odd last record makes a sample too,
    // and the first sample's time is that of its last record.
    const Information information = ReadInformation(h, "Quake");
    EXPECT_EQ(information.records, resolution == 1 ? "nRecords 3601" : "nRecords 1801");
    EXPECT_EQ(information.title, resolution == 1 ? "title Quake 2011-05-03 10:00:00 -- 11:00:00"
                                                 : "title Quake 2011-05-03 10:00:01 -- 11:00:00");
  }
}

TEST(JobLocalRunTest, AnOutOfSyncRecordEndsTheFileButNotTheRun) {
  JobHarness h;
  std::string text =
      eggdata::GenerateEggData(DataRange("2011-05-03 10:00:00", "2011-05-03 11:00:00"));
  // Break the 101st data record: its type is no longer 13.
  size_t at = text.find("\n13,");
  for (int i = 0; i < 100; ++i) at = text.find("\n13,", at + 1);
  ASSERT_NE(at, std::string::npos);
  text[at + 2] = '7';
  WriteFile(h.dir.File("quake.csv"), text);
  h.StartLocalRun("Quake", h.dir.File("quake.csv"), "2011-05-03 10:00:00", "2011-05-03 11:00:00");
  h.TickUntilEnded();
  ASSERT_EQ(h.link.messageTexts().size(), 2u);
  EXPECT_EQ(h.link.messageTexts()[0], "Record 100 is out of sync");
  EXPECT_EQ(h.link.messageTexts()[1], "Quake: Insufficient data in the file");
  EXPECT_EQ(ReadInformation(h, "Quake").records, "nRecords 100");
  EXPECT_EQ(h.link.runEndedCount(), 1);
}

TEST(JobLocalRunTest, EggsMissingFromALaterFileDropOutAndExtraEggsAreIgnored) {
  struct Case {
    std::vector<int> absent;
    std::vector<int> secondIds;
    const char* eggs;
  };
  const Case cases[] = {
      {{1003}, {}, "9"},  // the second day lacks egg 1003
      {{}, {1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010, 2001}, "10"},  // adds one
  };
  for (const Case& c : cases) {
    JobHarness h;
    ASSERT_TRUE(eggdata::WriteEggDataFile(
        h.dir.File("quake.csv"), DataRange("2010-12-31 23:00:00", "2010-12-31 23:59:59"), false));
    EggDataOptions second = DataRange("2011-01-01 00:00:00", "2011-01-01 01:00:00");
    second.absentEggs = c.absent;
    second.eggIds = c.secondIds;
    ASSERT_TRUE(eggdata::WriteEggDataFile(h.dir.File("quake_2.csv"), second, false));
    h.StartLocalRun("Quake", h.dir.File("quake.csv"), "2010-12-31 23:00:00", "2011-01-01 01:00:00");
    h.TickUntilEnded();
    EXPECT_TRUE(h.link.messages().empty());
    const Information information = ReadInformation(h, "Quake");
    EXPECT_EQ(information.records, "nRecords 7201");
    EXPECT_EQ(EggsOfLegend(information), c.eggs);
  }
}

TEST(JobLocalRunTest, ASubgroupRestrictsTheRunToItsEggs) {
  JobHarness h;
  ASSERT_TRUE(eggdata::WriteEggDataFile(
      h.dir.File("quake.csv"), DataRange("2011-05-03 10:00:00", "2011-05-03 11:00:00", 60), false));
  WriteFile(h.dir.File("three.esg"),
            "# three eggs of the sixty, and one the file lacks\n# (ids 1001-1060)\n4\n1004 "
            "1021\n1056 4001\n");
  h.job->ReadEggGroupFile(h.dir.File("three.esg"));
  h.StartLocalRun("Quake", h.dir.File("quake.csv"), "2011-05-03 10:00:00", "2011-05-03 11:00:00");
  h.TickUntilEnded();
  EXPECT_TRUE(h.link.messages().empty());
  EXPECT_EQ(EggsOfLegend(ReadInformation(h, "Quake")), "3");
}

TEST(JobLocalRunTest, ABatchRunWritesItsFilesWithoutLaunchingAPlot) {
  JobHarness h;
  ProgressLogCapture log(h.dir.File("egg.log"));
  ASSERT_TRUE(eggdata::WriteEggDataFile(
      h.dir.File("quake.csv"), DataRange("2011-05-03 10:00:00", "2011-05-03 11:00:00"), false));
  h.StartLocalRun("Quake", h.dir.File("quake.csv"), "2011-05-03 10:00:00", "2011-05-03 11:00:00",
                  true);
  h.TickUntilEnded();
  EXPECT_EQ(ReadInformation(h, "Quake").records, "nRecords 3601");
  EXPECT_EQ(log.Contents().find("Launching wgnuplot"), std::string::npos);
  EXPECT_EQ(h.link.runEndedCount(), 1);
}

TEST(JobLocalRunTest, AnIntervalComparisonWritesItsTableAndABatchLine) {
  for (bool batch : {false, true}) {
    JobHarness h;
    ASSERT_TRUE(eggdata::WriteEggDataFile(
        h.dir.File("quake.csv"), DataRange("2011-05-03 10:00:00", "2011-05-03 11:00:00"), false));
    h.job->SetCompareIntervals(true);
    h.job->SetIntervals(0, 1800, 1800);
    h.StartLocalRun("Quake", h.dir.File("quake.csv"), "2011-05-03 10:00:00", "2011-05-03 11:00:00",
                    batch);
    h.TickUntilEnded();
    EXPECT_TRUE(h.link.messages().empty());
    EXPECT_TRUE(FileExists(h.OutputDirectory("Quake") + "Quake.tst")) << batch;
    const std::string summary = ReadFile(h.root + "summary.tst");
    if (batch) {
      // The table's heading, then the run's line.
      EXPECT_NE(summary.find(kSummaryColumnHeading), std::string::npos) << summary;
      ASSERT_FALSE(Lines(summary).empty());
      EXPECT_EQ(Lines(summary).back().rfind("Quake\t10\t", 0), 0u) << summary;
    } else {
      EXPECT_EQ(summary, "");
    }
  }
}

TEST(JobLocalRunTest, ARunOnTheJobsOwnThreadEndsWithItsPlot) {
  JobHarness h;
  ASSERT_TRUE(eggdata::WriteEggDataFile(
      h.dir.File("quake.gz"), DataRange("2011-05-03 10:00:00", "2011-05-03 11:00:00"), true));
  ASSERT_TRUE(h.job->StartThread());
  h.StartLocalRun("Quake", h.dir.File("quake.gz"), "2011-05-03 10:00:00", "2011-05-03 11:00:00");
  ASSERT_TRUE(h.link.WaitForRunEnded(60s));
  EXPECT_TRUE(h.job->Ended());
  EXPECT_EQ(h.job->JobStage(), 0);
  EXPECT_EQ(h.WaitForGnuplotArguments(), h.OutputDirectory("Quake") + "Quake.gp\n-persist\n");
  h.job.reset();
  EXPECT_EQ(h.link.runEndedCount(), 1);
}

}  // namespace
}  // namespace corvane
