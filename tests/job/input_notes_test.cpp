// What a local run says about its input: repeated, backward and missing
// seconds in the information file, the statistics file and the progress
// log (and nothing extra for sound input); a subgroup file that is refused
// refuses the run, and subgroup ids the data lacks are named and counted.
#include <filesystem>

#include <gtest/gtest.h>

#include "job_harness.h"
#include "support/edited_egg_data.h"

namespace corvane {
namespace {

using testing::DataRange;
using testing::JobHarness;
using testing::Lines;
using testing::ReadFile;

TEST(InputNotesTest, SkippedRecordsAndMissingSecondsAreNotedOnlyWhenThereAreAny) {
  const auto options = DataRange("2011-05-03 10:00:00", "2011-05-03 11:00:00");
  const struct {
    bool damaged;
    std::string notes, log;
    int records;
  } cases[] = {
      {false, "", "", 3601},
      {true, "skippedRecords 3\nmissingSeconds 30\n",
       "Skipped 3 records whose time stamp was not later than the one before\n"
       "30 seconds missing between records\n",
       3571},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.damaged);
    JobHarness h;
    testing::ProgressLogCapture log(h.dir.File("egg.log"));
    const std::string data = h.dir.File("q.csv");
    testing::WriteFile(data, c.damaged ? testing::EditedEggData(options, 100, 50, 1000, 30)
                                       : eggdata::GenerateEggData(options));
    h.job->SetCompareIntervals(true);
    h.job->SetIntervals(0, 1800, 600);
    h.RunLocal("Quake", data, "2011-05-03 10:00:00", "2011-05-03 11:00:00", true);
    EXPECT_EQ(h.link.runEndedCount(), 1);
    EXPECT_EQ(ReadFile(h.root + "summary.tst").find("Quake: "), std::string::npos);

    // The information file: its lines as always, the notes at its end; the
    // title names the range as before.
    const std::string information = ReadFile(h.Output("Quake", "Quake.inf"));
    const std::vector<std::string> lines = Lines(information);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "nRecords " + std::to_string(c.records));
    EXPECT_EQ(lines[1], "title Quake 2011-05-03 10:00:00 -- 11:00:00");
    EXPECT_EQ(information.substr(information.size() - c.notes.size()), c.notes);
    EXPECT_EQ(information.find("skippedRecords") != std::string::npos, c.damaged);
    EXPECT_EQ(Lines(ReadFile(h.Output("Quake", "Quake.dat"))).size(),
              static_cast<size_t>(c.records));

    // The statistics file: the notes follow the useable egg count.
    const std::string statistics = ReadFile(h.Output("Quake", "Quake.tst"));
    EXPECT_NE(statistics.find("useableEggs 10\n" + c.notes + "Exponential"), std::string::npos)
        << statistics;
    EXPECT_EQ(statistics.find("missingSeconds") != std::string::npos, c.damaged);

    const std::string progress = log.Contents();
    EXPECT_EQ(progress.find("seconds missing") != std::string::npos, c.damaged);
    if (c.damaged) {
      EXPECT_NE(progress.find(c.log), std::string::npos) << progress;
    }
  }
}

TEST(InputNotesTest, ARefusedSubgroupFileRefusesTheRunBeforeItReadsOrWrites) {
  const auto options = DataRange("2011-05-03 10:00:00", "2011-05-03 10:30:00");
  std::string nul_token;  // how the message shows a token of NUL bytes
  for (int i = 0; i < 40; ++i) nul_token += "\\x00";
  const struct {
    std::string name, text;  // no text: no such file
    std::string message;     // %s: the path
    bool batch;
  } cases[] = {
      {"comma.esg", "3\n1001,1002,1003\n",
       "Egg subgroup file %s: \"1001,1002,1003\" is not a whole number", false},
      {"comma.esg", "3\n1001,1002,1003\n",
       "Egg subgroup file %s: \"1001,1002,1003\" is not a whole number", true},
      {"letter.esg", "2\n1001 l002\n", "Egg subgroup file %s: \"l002\" is not a whole number",
       true},
      {"nul.esg", std::string(1000, '\0') + "\n",
       "Egg subgroup file %s: \"" + nul_token + "...\" is not a whole number", false},
      {"typo.esg", "", "Egg subgroup file %s cannot be read: No such file or directory", true},
      {"empty.esg", "# nothing yet\n", "Egg subgroup file %s holds no egg identifier", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    JobHarness h;
    const std::string path = h.dir.File(c.name);
    if (!c.text.empty()) testing::WriteFile(path, c.text);
    std::string message = "Quake: " + c.message;
    message.replace(message.find("%s"), 2, path);
    h.job->ReadEggGroupFile(path);
    h.RunLocal("Quake", h.WriteData("q.csv", options), "2011-05-03 10:00:00", "2011-05-03 10:30:00",
               c.batch);
    EXPECT_EQ(h.link.runEndedCount(), 1);
    EXPECT_EQ(h.link.messageTexts(),
              c.batch ? std::vector<std::string>{} : std::vector<std::string>{message});
    EXPECT_EQ(ReadFile(h.root + "summary.tst"), c.batch ? message + "\n" : "");
    EXPECT_FALSE(std::filesystem::exists(h.root + "Quake"));
  }
}

TEST(InputNotesTest, SubgroupIdsTheDataLacksAreNamedInTheLogAndCounted) {
  JobHarness h;
  testing::ProgressLogCapture log(h.dir.File("egg.log"));
  testing::WriteFile(h.dir.File("group.esg"), "5\n1004 4002 1002\n4001 4002\n");
  h.job->ReadEggGroupFile(h.dir.File("group.esg"));
  h.RunLocal("Quake", h.WriteData("q.csv", DataRange("2011-05-03 10:00:00", "2011-05-03 10:30:00")),
             "2011-05-03 10:00:00", "2011-05-03 10:30:00", true);
  EXPECT_NE(log.Contents().find("\nEgg subgroup ids not in the data: 4001 4002\n"),
            std::string::npos);
  const std::vector<std::string> lines = Lines(ReadFile(h.Output("Quake", "Quake.inf")));
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines.back(), "absentSubgroupEggs 2");
  EXPECT_NE(lines[2].find(": 2 eggs:"), std::string::npos);
}

}  // namespace
}  // namespace corvane
