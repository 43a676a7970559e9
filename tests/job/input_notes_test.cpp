// What a local run says about its input: repeated, backward and missing
// seconds in the information file, the statistics file and the progress
// log (and nothing extra for sound input). Subgroup ids the data lacks: see
// LocalRunTest.
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

}  // namespace
}  // namespace corvane
