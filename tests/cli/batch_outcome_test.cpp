// corvane-cli tells how its batch ended: the exit status says whether every
// item completed and the batch file was read whole, and a Ctrl-C at any
// stage of a local or a remote run is told as a stop, never as a fault of
// the data. Also the statuses of the other commands, and the chisq
// calculator. The closing line of a batch with every outcome is checked
// with its results table (ResultsTableTest).
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

class BatchOutcomeTest : public CliTest {
 protected:
  std::string Summary() const { return ReadFile(root_ + "summary.tst"); }
};

// A batch file read in part (a 300-character record whose name is over its
// capacity stops reading) runs the items before the record, and its status
// says the file was not run whole.
TEST_F(CliTest, TheExitStatusSaysWhetherTheCommandRanToItsEnd) {
  WriteFile(dir_.File("keywords.ebb"), "DataDirectory " + root_ + "\n");
  const std::string local = "LocalEggFile " + EggFile("may03.csv", "2011-05-03") + "\n";
  const std::string badRecord = std::string(260, 'N') + kHour;
  ASSERT_EQ(badRecord.size(), 300u + 1);
  WriteFile(dir_.File("cut.ebb"), "DataDirectory " + root_ + "\n" + local + "First" + kHour +
                                      badRecord + local + "Never" + kHour);
  // Unknown picture formats are refused where they enter, naming the choices.
  WriteFile(dir_.File("gif.ebb"),
            "DataDirectory " + root_ + "\nPlotPictures gif\n" + local + "Gif" + kHour);
  const struct {
    std::vector<std::string> arguments;
    int status;
    std::vector<std::string> err;
    std::string out = "";
  } cases[] = {
      {{"batch", dir_.File("nothing.ebb")}, kExitFailed, {"Cannot open the batch file"}},
      {{"batch", dir_.File("keywords.ebb")}, kExitFailed, {"There are no batch items to process"}},
      {{"batch", "--set", "SmoothWindowSize=wide", dir_.File("keywords.ebb")},
       kExitUsage,
       {"SmoothWindowSize"}},
      {{"batch", "--set", "NoSuchSetting=1", dir_.File("keywords.ebb")},
       kExitUsage,
       {"NoSuchSetting"}},
      {{"batch", "--set", "PlotPictures=gif", dir_.File("keywords.ebb")},
       kExitUsage,
       {"PlotPictures takes none, png, svg or pdf, not \"gif\""}},
      {{"batch", dir_.File("gif.ebb")}, kExitFailed, {"\"gif\" is not none, png, svg or pdf."}},
      {{"batch", dir_.File("cut.ebb")},
       kExitItemsFailed,
       {"Invalid batch file record:\n" + badRecord.substr(0, 300) + "\n",
        "1 items processed in batch mode: 1 completed, 0 failed, 0 refused, 0 "
        "stopped\n"}},
      {{"frobnicate"}, kExitUsage, {"Usage: corvane-cli"}},
      {{"chisq", "1,5", "2"},
       kExitFailed,
       {"ChiSquare Probability Calculator: Please enter a number."}},
      {{"chisq", "1", "2.5"},
       kExitFailed,
       {"ChiSquare Probability Calculator: Please enter an integer."}},
      {{"chisq", "0", "0"}, kExitFailed, {"DF must be a whole number of at least 1"}},
      {{"batch", "--help"}, kExitOk, {}, "Usage: corvane-cli"},
      {{"chisq", "--help"}, kExitOk, {}, "Usage: corvane-cli"},
      // The upper tail to 15 significant digits; a tiny one is not 0.
      {{"chisq", "100", "2"}, kExitOk, {}, "9.64374923981957e-23\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.back());
    const auto result = Run(c.arguments);
    EXPECT_EQ(result.exitCode, c.status);
    for (const std::string& part : c.err) EXPECT_TRUE(Contains(result.err, part)) << result.err;
    EXPECT_EQ(c.out.empty() ? result.out : result.out.substr(0, c.out.size()), c.out);
  }
  EXPECT_TRUE(FileExists(root_ + "First/First.inf"));
  EXPECT_FALSE(FileExists(root_ + "Never") || FileExists(root_ + "Gif"));
  // The help and the help page say what the statuses mean.
  EXPECT_TRUE(Contains(Run({"batch", "--help"}).out,
                       "  3    the batch ran to its end, but an item failed or was"));
  EXPECT_TRUE(Contains(ReadFile(CORVANE_SOURCE_DIR "/docs/help/index.html"),
                       "<tr><td>3</td><td>the batch ran to its end, but an item failed"));
}

// Ctrl-C while a long local run and a remote run pass a stage (a stop in a
// stalled download is checked with the results table; a stop at every
// stage of a run, where runs are made). A stop that comes once the results
// are written leaves a completed item; either way nothing is told as a fault
// of the data.
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
  } cases[] = {
      {local, "Reading local file"},
      {local, "Writing results file"},
      {remote, "Uncompressing data file"},
  };
  int stopped = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stage + (c.batch == local ? " (local)" : " (remote)"));
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
    const auto result = RunAndInterrupt(c.batch + "Quake" + kDay, "Quake: " + c.stage,
                                        {"--set", "DataURL=" + server.DataUrl()});
    EXPECT_EQ(result.exitCode, kExitInterrupted) << result.err;
    const bool wasStopped = Contains(result.err, "0 completed, 0 failed, 0 refused, 1 stopped\n");
    EXPECT_TRUE(wasStopped || Contains(result.err, "1 completed, 0 failed, 0 refused, 0 stopped\n"))
        << result.err;
    EXPECT_EQ(Contains(Summary(), "Quake: Stopped by user\n"), wasStopped) << Summary();
    EXPECT_TRUE(wasStopped || FileExists(root_ + "Quake/Quake.inf"));
    testing::ExpectNoDataFault(result.err + Summary());
    stopped += wasStopped;
  }
  // The stages last long enough for most stops to land in them.
  EXPECT_GE(stopped, 2);
}

}  // namespace
}  // namespace corvane
