// corvane-cli tells how its batch ended: the closing line counts the items
// that completed, failed, were refused or stopped, the exit status says
// whether every item completed, and a Ctrl-C at any stage of a local or a
// remote run is told as a stop, never as a fault of the data.
#include <filesystem>

#include <gtest/gtest.h>

#include "cli/cli_options.h"
#include "cli_fixture.h"
#include "core/date_time.h"
#include "dataserver/data_server.h"

namespace corvane {
namespace {

using testing::CliTest;
using testing::Contains;
using testing::FileExists;
using testing::ReadFile;
using testing::WriteFile;

const std::string kHour = " 2011-05-03 00:00:00 2011-05-03 00:59:59\n";
const std::string kDay = " 2011-05-03 00:00:00 2011-05-03 23:59:59\n";

// Texts a stop must never produce.
void ExpectNoDataFault(const std::string& text) {
  for (const char* fault : {"Insufficient data", "No useable", "Damaged data", "No data received",
                            "Internet error", "not a proper data file"}) {
    EXPECT_FALSE(Contains(text, fault)) << fault << " in\n" << text;
  }
}

class BatchOutcomeTest : public CliTest {
 protected:
  std::string Summary() const { return ReadFile(root_ + "summary.tst"); }
};

TEST_F(BatchOutcomeTest, TheClosingLineAndExitStatusCountCompletedFailedAndRefusedItems) {
  const std::string local = "LocalEggFile " + EggFile("may03.csv", "2011-05-03") + "\n";
  const std::string head = "DataDirectory " + root_ + "\n";

  const auto done = RunBatch(head + local + "One" + kHour + local + "Two" + kHour);
  EXPECT_EQ(done.exitCode, kExitOk) << done.err;
  EXPECT_TRUE(Contains(done.err,
                       "\n2 items processed in batch mode: 2 completed, "
                       "0 failed, 0 refused, 0 stopped\n"))
      << done.err;

  // A 300-character comment is skipped; a 300-character record whose fields
  // fit is read.
  const std::string comment = "#" + std::string(299, '-');
  const std::string longRecord = "Long  " + std::string(255, ' ') + kHour.substr(1);
  ASSERT_EQ(comment.size(), 300u);
  ASSERT_EQ(longRecord.size(), 300u + 1);  // with its line end
  const auto mixed = RunBatch(head + comment + "\n" + local + "Good" + kHour + "LocalEggFile " +
                              dir_.File("data/missing.csv") + "\nLost" + kHour + local +
                              "Bad'Name" + kHour + local + longRecord);
  EXPECT_EQ(mixed.exitCode, kExitItemsFailed) << mixed.err;
  EXPECT_TRUE(Contains(mixed.err,
                       "4 items processed in batch mode: 2 completed, 1 failed, "
                       "1 refused, 0 stopped\n"))
      << mixed.err;
  EXPECT_TRUE(FileExists(root_ + "Long/Long.inf"));
  EXPECT_TRUE(Contains(Summary(), "Lost: Unable to open ")) << Summary();
  EXPECT_TRUE(Contains(Summary(), "Bad'Name: ")) << Summary();

  // A 300-character record whose name is over its capacity stops reading:
  // the items before it run, and the status says the file was not run whole.
  const std::string badRecord = std::string(260, 'N') + kHour;
  ASSERT_EQ(badRecord.size(), 300u + 1);
  const auto cut = RunBatch(head + local + "First" + kHour + badRecord + local + "Never" + kHour);
  EXPECT_EQ(cut.exitCode, kExitItemsFailed) << cut.err;
  EXPECT_TRUE(Contains(cut.err, "Invalid batch file record:\n" + badRecord.substr(0, 300) + "\n"));
  EXPECT_TRUE(Contains(cut.err,
                       "1 items processed in batch mode: 1 completed, 0 failed, "
                       "0 refused, 0 stopped\n"))
      << cut.err;
  EXPECT_FALSE(FileExists(root_ + "Never"));

  // The help and the help page say what the statuses mean.
  const auto help = Run({"batch", "--help"});
  EXPECT_TRUE(Contains(help.out, "  3    the batch ran to its end, but an item failed or was"));
  EXPECT_TRUE(Contains(ReadFile(CORVANE_SOURCE_DIR "/docs/help/index.html"),
                       "<tr><td>3</td><td>the batch ran to its end, but an item failed"));
}

// A stop always wins: the status is 130, and the item's line says it was
// stopped.
TEST_F(BatchOutcomeTest, AStoppedItemIsCountedAndToldAsStopped) {
  dataserver::DataServer server(dataserver::ServerOptions{"127.0.0.1", 0, "", "", 6, 1});
  ASSERT_TRUE(StartHoldingFirstDownload(server));
  const std::string local = "LocalEggFile " + EggFile("may03.csv", "2011-05-03") + "\n";
  const auto result = RunAndInterrupt(
      "DataDirectory " + root_ + "\n" + local + "Done" + kHour + "LocalEggFile " +
          dir_.File("data/missing.csv") + "\nLost" + kHour + "Far" + kHour + "Later" + kHour,
      "Far: Getting data from internet",
      // One item at a time: the items before Far have ended when it is stopped.
      {"--jobs", "1", "--set", "DataURL=" + server.DataUrl()});
  server.ReleaseStalls();
  EXPECT_EQ(result.exitCode, kExitInterrupted) << result.err;
  EXPECT_TRUE(Contains(result.err,
                       "3 items processed in batch mode: 1 completed, 1 failed, "
                       "0 refused, 1 stopped; 1 not started\n"))
      << result.err;
  EXPECT_TRUE(Contains(Summary(), "\nFar: Stopped by user\n")) << Summary();
  EXPECT_FALSE(Contains(Summary(), "Later"));
  ExpectNoDataFault(result.err + Summary());
}

// Ctrl-C while a long local run and a remote run pass each stage. A stop
// that comes once the results are written leaves a completed item; either
// way nothing is told as a fault of the data.
TEST_F(BatchOutcomeTest, CtrlCAtEveryStageIsAStopNeverADataFault) {
  dataserver::DataServer server(dataserver::ServerOptions{"127.0.0.1", 0, "", "", 60, 1});
  ASSERT_TRUE(server.Start());
  eggdata::EggDataOptions day;
  day.start = SecondsFromText("2011-05-03 00:00:00");
  day.stop = day.start + 86399;
  const std::string local =
      "DataDirectory " + root_ + "\nLocalEggFile " + EggFile("day.csv", "2011-05-03", day) + "\n";
  const std::string remote = "DataDirectory " + root_ + "\n";
  const struct {
    std::string batch;
    std::string stage;
    bool stall = false;
  } cases[] = {
      {local, "Reading local file"},
      {local, "Computing statistics"},
      {local, "Smoothing data"},
      {local, "Writing results file"},
      {remote, "Getting data from internet", true},
      {remote, "Uncompressing data file"},
      {remote, "Reading local file"},
  };
  int stopped = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stage + (c.batch == local ? " (local)" : " (remote)"));
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
    dataserver::FaultPlan plan;
    plan.stallRequests = c.stall ? 1 : 0;
    plan.stallAfterBytes = 100;
    server.SetFaults(plan);
    const auto result = RunAndInterrupt(c.batch + "Quake" + kDay, "Quake: " + c.stage,
                                        {"--set", "DataURL=" + server.DataUrl()});
    server.ReleaseStalls();
    EXPECT_EQ(result.exitCode, kExitInterrupted) << result.err;
    const bool wasStopped = Contains(result.err, "0 completed, 0 failed, 0 refused, 1 stopped\n");
    EXPECT_TRUE(wasStopped || Contains(result.err, "1 completed, 0 failed, 0 refused, 0 stopped\n"))
        << result.err;
    EXPECT_EQ(Contains(Summary(), "Quake: Stopped by user\n"), wasStopped) << Summary();
    EXPECT_TRUE(wasStopped || FileExists(root_ + "Quake/Quake.inf"));
    EXPECT_TRUE(!c.stall || wasStopped);
    ExpectNoDataFault(result.err + Summary());
    stopped += wasStopped;
  }
  // The stages last long enough for most stops to land in them.
  EXPECT_GE(stopped, 4);
}

}  // namespace
}  // namespace corvane
