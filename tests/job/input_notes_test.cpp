// What a local run says about its input: repeated, backward and missing
// seconds in the information file, the statistics file and the progress
// log. A run of whole data notes none of them: see LocalRunTest and the
// progress log of RunEndTest. Subgroup ids the data lacks: see LocalRunTest.
#include <gtest/gtest.h>

#include "job_harness.h"
#include "support/edited_egg_data.h"

namespace corvane {
namespace {

using testing::Lines;
using testing::ReadFile;

TEST(InputNotesTest, SkippedRecordsAndMissingSecondsAreNotedOnlyWhenThereAreAny) {
  testing::JobHarness h;
  testing::ProgressLogCapture log(h.dir.File("egg.log"));
  const std::string data = h.dir.File("q.csv");
  testing::WriteFile(
      data, testing::EditedEggData(testing::DataRange("2011-05-03 10:00:00", "2011-05-03 11:00:00"),
                                   100, 50, 1000, 30));
  h.job->SetCompareIntervals(true);
  h.job->SetIntervals(0, 1800, 600);
  h.RunLocal("Quake", data, "2011-05-03 10:00:00", "2011-05-03 11:00:00", true);
  EXPECT_EQ(h.link.runEndedCount(), 1);
  EXPECT_EQ(ReadFile(h.root + "summary.tst").find("Quake: "), std::string::npos);

  // The information file: its lines as always, the notes at its end; the
  // title names the range as before.
  const std::string notes = "skippedRecords 3\nmissingSeconds 30\n";
  const std::string information = ReadFile(h.Output("Quake", "Quake.inf"));
  const std::vector<std::string> lines = Lines(information);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], "nRecords 3571");
  EXPECT_EQ(lines[1], "title Quake 2011-05-03 10:00:00 -- 11:00:00");
  EXPECT_EQ(information.substr(information.size() - notes.size()), notes);
  EXPECT_EQ(Lines(ReadFile(h.Output("Quake", "Quake.dat"))).size(), 3571u);

  // The statistics file: the notes follow the useable egg count.
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
