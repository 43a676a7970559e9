// corvane-cli end to end: batches over synthetic local files and from the
// stand-in data server, its exit statuses, Ctrl-C, and the chisq calculator.
#include <csignal>
#include <filesystem>

#include <gtest/gtest.h>
#include <QProcess>

#include "cli/cli_options.h"
#include "cli_fixture.h"
#include "dataserver/data_server.h"

namespace corvane {
namespace {

using testing::CliTest;
using testing::Contains;
using testing::FileExists;
using testing::ReadFile;
using testing::WriteFile;

// Three items over local files, and one whose data come from the server
// named on the command line; the overrides apply to this run only. Numbers
// keep their C form under a German locale (when one can be made here).
TEST_F(CliTest, ABatchOverLocalFilesAndTheServerWritesItsResultsAndSummary) {
  dataserver::DataServer server(dataserver::ServerOptions{"127.0.0.1", 0, "", "", 6, 1});
  ASSERT_TRUE(server.Start());
  const std::string locales = dir_.File("locales");
  std::filesystem::create_directories(locales);
  QProcess localedef;
  localedef.start("localedef",
                  {"-i", "de_DE", "-f", "UTF-8", QString::fromStdString(locales + "/de_DE.UTF-8")});
  const bool german = localedef.waitForFinished(60000) && localedef.exitCode() <= 1;
  if (!german) GTEST_LOG_(INFO) << "no German locale can be made here";
  const auto result = RunBatch(
      "# local and remote items\nDataDirectory " + root_ +
          "\nCompareIntervals 1 0 1800 1800\nLocalEggFile " + EggFile("may03.csv", "2011-05-03") +
          "\nQuake1 2011-05-03 00:00:00 2011-05-03 00:59:59\nLocalEggFile " +
          dir_.File("data/missing.csv") +
          "\nQuake2 2011-05-03 00:00:00 2011-05-03 00:59:59\nLocalEggFile " +
          EggFile("may04.csv", "2011-05-04") +
          "\nQuake3 2011-05-04 00:00:00 2011-05-04 00:59:59\n"
          "Far 2011-05-03 00:00:00 2011-05-03 00:59:59\n",
      {"--set", "DataURL=" + server.DataUrl(), "--set", "LogProgress=1"},
      {{"LOCPATH", locales}, {"LC_ALL", german ? "de_DE.UTF-8" : "C"}});
  // Quake2's file is missing: the batch goes on, and the status tells.
  EXPECT_EQ(result.exitCode, kExitItemsFailed) << result.err;
  EXPECT_TRUE(Contains(result.err,
                       "4 items processed in batch mode: 3 completed, 1 failed, "
                       "0 refused, 0 stopped"))
      << result.err;
  EXPECT_TRUE(Contains(result.err, "the batch summary is " + root_ + "summary.tst"));
  for (const char* file :
       {"Quake1/Quake1.dat", "Quake1/Quake1.gp", "Quake1/Quake1.inf", "Quake3/Quake3.dat"}) {
    EXPECT_TRUE(FileExists(root_ + file)) << file;
  }
  EXPECT_FALSE(FileExists(root_ + "Quake2"));
  const std::string summary = ReadFile(root_ + "summary.tst");
  EXPECT_EQ(summary.rfind("Root directory: " + root_ + "\n", 0), 0u) << summary;
  EXPECT_TRUE(Contains(summary, "\nQuake1\t60\t")) << summary;
  EXPECT_TRUE(Contains(summary, "\nQuake2: ") && Contains(summary, "missing.csv")) << summary;
  EXPECT_TRUE(Contains(summary, "\nQuake3\t60\t")) << summary;
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_TRUE(Contains(server.Requests()[0].target,
                       "&year=2011&month=5&day=3&stime=00%3A00%3A00&etime=00%3A59%3A59"));
  EXPECT_TRUE(Contains(ReadFile(root_ + "Far/Far.inf"), "nRecords 3600\n"));
  for (const char* file : {"Quake1/Quake1.dat", "Quake1/Quake1.inf"}) {
    EXPECT_FALSE(Contains(ReadFile(root_ + file), ",")) << file;
  }
  EXPECT_TRUE(Contains(ReadFile(temp_ + "egg.log"), "\nQuake3\n"));
  const std::string settings = ReadFile(config_ + "/BrantvikR&D/Corvane.conf");
  for (const std::string& name :
       {server.DataUrl(), std::string("TempDir"), std::string("LogProgress")}) {
    EXPECT_FALSE(Contains(settings, name)) << name;
  }
}

TEST_F(CliTest, TheExitStatusSaysWhetherTheCommandRanToItsEnd) {
  WriteFile(dir_.File("keywords.ebb"), "DataDirectory " + root_ + "\n");
  const struct {
    std::vector<std::string> arguments;
    int status;
    std::string err;
    std::string out = "";
  } cases[] = {
      {{"batch", dir_.File("nothing.ebb")}, kExitFailed, "Cannot open the batch file"},
      {{"batch", dir_.File("keywords.ebb")}, kExitFailed, "There are no batch items to process"},
      {{"batch", "--set", "SmoothWindowSize=wide", dir_.File("keywords.ebb")},
       kExitUsage,
       "SmoothWindowSize"},
      {{"batch", "--set", "NoSuchSetting=1", dir_.File("keywords.ebb")},
       kExitUsage,
       "NoSuchSetting"},
      {{"frobnicate"}, kExitUsage, "Usage: corvane-cli"},
      {{"chisq", "1,5", "2"},
       kExitFailed,
       "ChiSquare Probability Calculator: Please enter a number."},
      {{"chisq", "1", "2.5"},
       kExitFailed,
       "ChiSquare Probability Calculator: Please enter an integer."},
      {{"chisq", "0", "0"}, kExitFailed, "DF must be a whole number of at least 1"},
      {{"batch", "--help"}, kExitOk, "", "Usage: corvane-cli"},
      {{"chisq", "--help"}, kExitOk, "", "Usage: corvane-cli"},
      // The upper tail to 15 significant digits; a tiny one is not 0.
      {{"chisq", "100", "2"}, kExitOk, "", "9.64374923981957e-23\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.back());
    const auto result = Run(c.arguments);
    EXPECT_EQ(result.exitCode, c.status);
    EXPECT_TRUE(Contains(result.err, c.err)) << result.err;
    EXPECT_EQ(c.out.empty() ? result.out : result.out.substr(0, c.out.size()), c.out);
  }
}

TEST_F(CliTest, CtrlCStopsTheCurrentRunAndTheBatch) {
  const std::string file = EggFile("may03.csv", "2011-05-03");
  std::string text = "DataDirectory " + root_ + "\n";
  for (int i = 0; i < 400; ++i) {
    text += "LocalEggFile " + file + "\nItem" + std::to_string(i) +
            " 2011-05-03 00:00:00 2011-05-03 00:59:59\n";
  }
  WriteFile(dir_.File("many.ebb"), text);
  QProcess process;
  process.setReadChannel(QProcess::StandardError);
  Start(process, {"batch", "--set", "TempDir=" + temp_, dir_.File("many.ebb")});
  std::string err;
  while (!Contains(err, "Reading local file") && process.waitForReadyRead(20000)) {
    err += process.readAllStandardError().toStdString();
  }
  ::kill(static_cast<pid_t>(process.processId()), SIGINT);
  ASSERT_TRUE(process.waitForFinished(60000));
  err += process.readAllStandardError().toStdString();
  EXPECT_EQ(process.exitCode(), kExitInterrupted) << err;
  EXPECT_TRUE(Contains(err, "items processed in batch mode: ")) << err;
  EXPECT_TRUE(Contains(err, " not started\n")) << err;
  EXPECT_FALSE(FileExists(root_ + "Item399"));
}

}  // namespace
}  // namespace corvane
