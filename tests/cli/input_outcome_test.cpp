// corvane-cli on input that is not what it should be: subgroup files that
// cannot be used refuse their item, time stamps that repeat, go backwards or
// skip seconds are counted where the user reads the results, and a day the
// server cannot give is named in the progress log with its URL.
#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

#include "cli/cli_options.h"
#include "cli_fixture.h"
#include "core/date_time.h"
#include "dataserver/data_server.h"
#include "support/edited_egg_data.h"
#include "support/text_lines.h"

namespace corvane {
namespace {

using testing::CliTest;
using testing::Contains;
using testing::FileExists;
using testing::Lines;
using testing::ReadFile;
using testing::WriteFile;

const std::string kHour = " 2011-05-03 00:00:00 2011-05-03 00:59:59\n";

class InputOutcomeTest : public CliTest {};

// One batch over three output roots: each refused subgroup file refuses
// its item alone, naming the file (and the bad token), and a later item
// without a subgroup runs; the same hour clean and with a record three
// times, one going back and 30 seconds left out, where the damaged run
// keeps the clean run's plot title; a remote item whose second day is a
// message page fails naming the day.
TEST_F(InputOutcomeTest, UnusableSubgroupsDamagedTimeStampsAndAFailedDayAreToldWhereTheUserLooks) {
  // Item names, whose subgroup files are <name>.esg, and the reasons told.
  const std::pair<std::string, std::string> refusals[] = {
      {"Comma", ": \"12,13\" is not a whole number"},
      {"Empty", " holds no egg identifier"},
      {"Typo", " cannot be read: No such file or directory"},
      {"Folder", " cannot be read: it is a directory"},
  };
  WriteFile(dir_.File("Comma.esg"), "2\n12,13\n");
  WriteFile(dir_.File("Empty.esg"), "# eggs to come\n");
  std::filesystem::create_directories(dir_.File("Folder.esg"));
  eggdata::EggDataOptions hour;
  hour.start = SecondsFromText("2011-05-03 00:00:00");
  hour.stop = hour.start + 3599;
  const std::string local = "LocalEggFile " + EggFile("may03.csv", "2011-05-03", hour) + "\n";
  const std::string damaged = dir_.File("data/damaged.csv");
  WriteFile(damaged, testing::EditedEggData(hour, 100, 50, 1000, 30));
  const std::string clean = root_ + "clean/", edited = root_ + "edited/", far = root_ + "far/";
  std::string batch = "DataDirectory " + root_ + "\n";
  for (const auto& [name, reason] : refusals) {
    batch += local + "SubgroupFile " + dir_.File(name + ".esg") + "\n" + name + kHour;
  }
  const std::string intervals = "CompareIntervals 1 0 1800 600\n";
  batch += local + "SubgroupFile -\nAll" + kHour + "DataDirectory " + clean + "\n" + intervals +
           local + "Quake" + kHour + "DataDirectory " + edited + "\n" + intervals +
           "LocalEggFile " + damaged + "\nQuake" + kHour + "DataDirectory " + far +
           "\nFar 2011-05-03 23:00:00 2011-05-04 00:59:59\n";
  for (const std::string& folder : {clean, edited, far})
    std::filesystem::create_directories(folder);
  dataserver::DataServer server(dataserver::ServerOptions{"127.0.0.1", 0, "", "", 6, 1});
  ASSERT_TRUE(server.Start());
  dataserver::FaultPlan plan;
  plan.skipRequests = 1;
  plan.messagePageRequests = 1;
  server.SetFaults(plan);
  const auto result =
      RunBatch(batch, {"--set", "DataURL=" + server.DataUrl(), "--set", "LogProgress=1"});
  EXPECT_EQ(result.exitCode, kExitItemsFailed) << result.err;
  EXPECT_TRUE(Contains(result.err,
                       "8 items processed in batch mode: 3 completed, 1 failed, "
                       "4 refused, 0 stopped\n"))
      << result.err;
  const std::vector<std::string> summary = Lines(ReadFile(root_ + "summary.tst"));
  for (const auto& [name, reason] : refusals) {
    const std::string line = name + ": Egg subgroup file " + dir_.File(name + ".esg") + reason;
    EXPECT_EQ(std::count(summary.begin(), summary.end(), line), 1) << line;
    EXPECT_FALSE(FileExists(root_ + name)) << name;
  }
  EXPECT_TRUE(Contains(ReadFile(root_ + "All/All.inf"), "nRecords 3600\n"));

  const std::string notes = "skippedRecords 3\nmissingSeconds 30\n";
  const std::string information = ReadFile(edited + "Quake/Quake.inf");
  EXPECT_TRUE(Contains(information, "nRecords 3570\n")) << information;
  EXPECT_EQ(information.substr(information.size() - notes.size()), notes) << information;
  EXPECT_FALSE(Contains(ReadFile(clean + "Quake/Quake.inf"), "skippedRecords"));
  const std::string statistics = ReadFile(edited + "Quake/Quake.tst");
  EXPECT_TRUE(Contains(statistics, "\n" + notes)) << statistics;
  EXPECT_FALSE(Contains(ReadFile(clean + "Quake/Quake.tst"), "missingSeconds"));
  // The title lines of both runs' information files and scripts agree.
  EXPECT_EQ(Lines(information).at(1), "title Quake 2011-05-03 00:00:00 -- 00:59:59");
  EXPECT_EQ(Lines(ReadFile(clean + "Quake/Quake.inf")).at(1), Lines(information).at(1));
  const auto titleOf = [](const std::string& script) {
    for (const std::string& line : Lines(ReadFile(script))) {
      if (line.rfind("set title ", 0) == 0) return line;
    }
    return std::string("no title");
  };
  EXPECT_EQ(titleOf(edited + "Quake/Quake.gp"), titleOf(clean + "Quake/Quake.gp"));
  EXPECT_NE(titleOf(edited + "Quake/Quake.gp"), "no title");

  const std::string log = ReadFile(temp_ + "egg.log");
  EXPECT_TRUE(Contains(log,
                       "\nSkipped 3 records whose time stamp was not later than the one before\n"
                       "30 seconds missing between records\n"))
      << log;
  // Told once, for the second (damaged) run.
  EXPECT_EQ(log.find("\nSkipped "), log.rfind("\nSkipped "));
  EXPECT_GT(log.find("\nSkipped "), log.rfind("\nQuake\n")) << log;

  EXPECT_EQ(ReadFile(far + "summary.tst"), "Far: No data received for 2011-05-04\n");
  ASSERT_EQ(server.Requests().size(), 2u);
  const std::string target = server.Requests()[1].target;
  EXPECT_TRUE(Contains(target, "&year=2011&month=5&day=4&")) << target;
  const size_t url = log.find(target + "\n");
  ASSERT_NE(url, std::string::npos) << target << " not in\n" << log;
  EXPECT_NE(log.find("Received message instead of data from remote server\n", url),
            std::string::npos)
      << log;
  EXPECT_FALSE(Contains(log, "data.csv")) << log;
}

}  // namespace
}  // namespace corvane
