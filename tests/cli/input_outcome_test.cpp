// corvane-cli on input that is not what it should be: a subgroup file that
// cannot be used refuses its item, time stamps that repeat, go backwards or
// skip seconds are counted where the user reads the results, and a day the
// server cannot give fails its item naming the day.
#include <filesystem>

#include <gtest/gtest.h>

#include "cli/cli_options.h"
#include "cli_fixture.h"
#include "core/date_time.h"
#include "dataserver/data_server.h"
#include "support/edited_egg_data.h"

namespace corvane {
namespace {

using testing::CliTest;
using testing::Contains;
using testing::FileExists;
using testing::ReadFile;
using testing::WriteFile;

const std::string kHour = " 2011-05-03 00:00:00 2011-05-03 00:59:59\n";

class InputOutcomeTest : public CliTest {};

// One batch over two output roots: a refused subgroup file refuses its
// item alone, naming the file, and a later item without a subgroup runs; a
// run over data with a record three times, one going back and 30 seconds
// left out notes them in its information and statistics files; a remote
// item whose second day is a message page fails naming the day. The
// messages and notes themselves are checked where they are made.
TEST_F(InputOutcomeTest, UnusableSubgroupsDamagedTimeStampsAndAFailedDayAreToldWhereTheUserLooks) {
  WriteFile(dir_.File("Comma.esg"), "2\n12,13\n");
  eggdata::EggDataOptions hour;
  hour.start = SecondsFromText("2011-05-03 00:00:00");
  hour.stop = hour.start + 3599;
  const std::string local = "LocalEggFile " + EggFile("may03.csv", "2011-05-03", hour) + "\n";
  const std::string damaged = dir_.File("data/damaged.csv");
  WriteFile(damaged, testing::EditedEggData(hour, 100, 50, 1000, 30));
  const std::string far = root_ + "far/";
  std::filesystem::create_directories(far);
  const std::string batch = "DataDirectory " + root_ + "\n" + local + "SubgroupFile " +
                            dir_.File("Comma.esg") + "\nComma" + kHour + local +
                            "SubgroupFile -\nAll" + kHour + "CompareIntervals 1 0 1800 600\n" +
                            "LocalEggFile " + damaged + "\nQuake" + kHour + "DataDirectory " + far +
                            "\nFar 2011-05-03 23:00:00 2011-05-04 00:59:59\n";
  dataserver::DataServer server(dataserver::ServerOptions{"127.0.0.1", 0, "", "", 6, 1});
  ASSERT_TRUE(server.Start());
  dataserver::FaultPlan plan;
  plan.skipRequests = 1;
  plan.messagePageRequests = 1;
  server.SetFaults(plan);
  const auto result = RunBatch(batch, {"--set", "DataURL=" + server.DataUrl()});
  EXPECT_EQ(result.exitCode, kExitItemsFailed) << result.err;
  EXPECT_TRUE(Contains(result.err,
                       "4 items processed in batch mode: 2 completed, 1 failed, "
                       "1 refused, 0 stopped\n"))
      << result.err;
  const std::string summary = ReadFile(root_ + "summary.tst");
  EXPECT_TRUE(Contains(summary, "Comma: Egg subgroup file " + dir_.File("Comma.esg") +
                                    ": \"12,13\" is not a whole number\n"))
      << summary;
  EXPECT_FALSE(FileExists(root_ + "Comma"));
  EXPECT_TRUE(Contains(ReadFile(root_ + "All/All.inf"), "nRecords 3600\n"));
  const std::string notes = "skippedRecords 3\nmissingSeconds 30\n";
  const std::string information = ReadFile(root_ + "Quake/Quake.inf");
  EXPECT_TRUE(information.ends_with(notes)) << information;
  const std::string statistics = ReadFile(root_ + "Quake/Quake.tst");
  EXPECT_TRUE(Contains(statistics, "\n" + notes)) << statistics;
  EXPECT_EQ(ReadFile(far + "summary.tst"), "Far: No data received for 2011-05-04\n");
}

}  // namespace
}  // namespace corvane
