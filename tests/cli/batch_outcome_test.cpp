// corvane-cli tells a Ctrl-C at any stage of a local or a remote run as a
// stop, never as a fault of the data.
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

const std::string kDay = " 2011-05-03 00:00:00 2011-05-03 23:59:59\n";

class BatchOutcomeTest : public CliTest {
 protected:
  std::string Summary() const { return ReadFile(root_ + "summary.tst"); }
};

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
    testing::ExpectNoDataFault(result.err + Summary());
    stopped += wasStopped;
  }
  // The stages last long enough for most stops to land in them.
  EXPECT_GE(stopped, 4);
}

}  // namespace
}  // namespace corvane
