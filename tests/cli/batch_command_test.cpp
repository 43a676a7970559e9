// corvane-cli batch, end to end: a real process over synthetic local files.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include <QProcess>
#include <QProcessEnvironment>

#include "cli/cli_options.h"
#include "cli_fixture.h"

namespace corvane {
namespace {

using testing::CliTest;
using testing::FileExists;
using testing::ProgramResult;
using testing::ReadFile;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class BatchCommandTest : public CliTest {
 protected:
  // Three items: two over local files, one whose file is missing.
  std::string ThreeItems() {
    const std::string may3 = EggFile("may03.csv", "2011-05-03");
    const std::string may4 = EggFile("may04.csv", "2011-05-04");
    return WriteBatch(
        "three.ebb",
        "# three items\n"
        "DataDirectory " +
            root_ +
            "\n"
            "CompareIntervals 1 0 1800 1800\n"
            "LocalEggFile " +
            may3 +
            "\n"
            "Quake1 2011-05-03 00:00:00 2011-05-03 00:59:59\n"
            "LocalEggFile " +
            dir_.File("data/missing.csv") +
            "\n"
            "Quake2 2011-05-03 00:00:00 2011-05-03 00:59:59\n"
            "SmoothingWindowType 1\n"
            "SmoothingWindowSize 300\n"
            "LocalEggFile " +
            may4 +
            "\n"
            "Quake3 2011-05-04 00:00:00 2011-05-04 00:59:59 2011-05-04 00:30:00 0.1\n");
  }
};

TEST_F(BatchCommandTest, RunsABatchOfThreeItemsOverLocalFiles) {
  const ProgramResult result = Run({"batch", "--set", "TempDir=" + temp_, ThreeItems()});
  ASSERT_FALSE(result.crashed) << result.err;
  EXPECT_EQ(result.exitCode, kExitOk) << result.err;
  EXPECT_TRUE(Contains(result.err, "3 items processed in batch mode")) << result.err;
  EXPECT_TRUE(Contains(result.err, "Reading local file")) << result.err;
  EXPECT_TRUE(Contains(result.err, "summary.tst")) << result.err;
  EXPECT_TRUE(FileExists(root_ + "Quake1/Quake1.dat"));
  EXPECT_TRUE(FileExists(root_ + "Quake1/Quake1.gp"));
  EXPECT_TRUE(FileExists(root_ + "Quake1/Quake1.inf"));
  EXPECT_TRUE(FileExists(root_ + "Quake3/Quake3.dat"));
  EXPECT_FALSE(FileExists(root_ + "Quake2/Quake2.dat"));
  const std::string summary = ReadFile(root_ + "summary.tst");
  EXPECT_EQ(summary.rfind("Root directory: " + root_ + "\n", 0), 0u) << summary;
  EXPECT_TRUE(Contains(summary, "\nQuake1\t")) << summary;
  EXPECT_TRUE(Contains(summary, "\nQuake3\t")) << summary;
  EXPECT_TRUE(Contains(summary, "\nQuake2: ")) << summary;
  EXPECT_TRUE(Contains(summary, "missing.csv")) << summary;
  // A batch run shows no plot and waits for nothing.
  EXPECT_FALSE(Contains(result.err, "Finished processing"));
}

TEST_F(BatchCommandTest, OverridesApplyToThisRunOnlyAndAreNeverStored) {
  const std::string file = EggFile("may03.csv", "2011-05-03");
  const std::string batch =
      WriteBatch("one.ebb", "DataDirectory " + root_ + "\nDFTOutput 1 5000\nLocalEggFile " + file +
                                "\nOne 2011-05-03 00:00:00 2011-05-03 "
                                "00:59:59\n");
  const ProgramResult result = Run({"batch", "--set", "TempDir=" + temp_, "--set", "LogProgress=1",
                                    "--set", "DFTSize=1024", batch});
  ASSERT_EQ(result.exitCode, kExitOk) << result.err;
  // The overridden temporary directory and log switch were used ...
  EXPECT_TRUE(Contains(ReadFile(temp_ + "egg.log"), "\nOne\n"));
  // ... and nothing of them was stored; the batch's reduced DFT size went to
  // the override too, since DFTSize was overridden.
  const std::string stored = ReadFile(SettingsFile());
  EXPECT_FALSE(Contains(stored, "TempDir")) << stored;
  EXPECT_FALSE(Contains(stored, "LogProgress")) << stored;
  EXPECT_FALSE(Contains(stored, "DFTSize")) << stored;

  // Without the override, a batch stores its reduced DFT size.
  const ProgramResult stored_run = Run({"batch", "--set", "TempDir=" + temp_, batch});
  ASSERT_EQ(stored_run.exitCode, kExitOk) << stored_run.err;
  EXPECT_TRUE(Contains(ReadFile(SettingsFile()), "DFTSize=4096")) << ReadFile(SettingsFile());
}

TEST_F(BatchCommandTest, ABatchThatCannotRunExitsWithFailure) {
  ProgramResult result = Run({"batch", dir_.File("nothing.ebb")});
  EXPECT_EQ(result.exitCode, kExitFailed);
  EXPECT_TRUE(Contains(result.err, "Cannot open the batch file")) << result.err;

  result = Run({"batch", WriteBatch("keywords.ebb", "DataDirectory " + root_ + "\n")});
  EXPECT_EQ(result.exitCode, kExitFailed);
  EXPECT_TRUE(Contains(result.err, "There are no batch items to process")) << result.err;

  result =
      Run({"batch", WriteBatch("bad.ebb", "Quake May-03-2011 00:00:00 May-03-2011 23:59:59\n")});
  EXPECT_EQ(result.exitCode, kExitFailed);
  EXPECT_TRUE(Contains(result.err, "Invalid batch file record:\nQuake May-03-2011")) << result.err;

  result = Run({"batch", "--set", "SmoothWindowSize=wide", dir_.File("nothing.ebb")});
  EXPECT_EQ(result.exitCode, kExitUsage);
  EXPECT_TRUE(Contains(result.err, "SmoothWindowSize")) << result.err;

  result = Run({"batch", "--set", "NoSuchSetting=1", dir_.File("nothing.ebb")});
  EXPECT_EQ(result.exitCode, kExitUsage);

  result = Run({"frobnicate"});
  EXPECT_EQ(result.exitCode, kExitUsage);
  EXPECT_TRUE(Contains(result.err, "Usage: corvane-cli")) << result.err;
}

TEST_F(BatchCommandTest, HelpIsPrinted) {
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"--help"}, {"batch", "--help"}, {"chisq", "--help"}}) {
    const ProgramResult result = Run(arguments);
    EXPECT_EQ(result.exitCode, kExitOk);
    EXPECT_TRUE(Contains(result.out, "Usage: corvane-cli")) << result.out;
  }
}

TEST_F(BatchCommandTest, CtrlCStopsTheBatchAfterTheCurrentRun) {
  const std::string file = EggFile("may03.csv", "2011-05-03");
  std::string text = "DataDirectory " + root_ + "\n";
  const int items = 400;
  for (int i = 0; i < items; ++i) {
    text += "LocalEggFile " + file + "\nItem" + std::to_string(i) +
            " 2011-05-03 00:00:00 2011-05-03 00:59:59\n";
  }
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CONFIG_HOME", QString::fromStdString(config_));
  process.setProcessEnvironment(env);
  process.start(QString::fromLatin1(CORVANE_BINARY_DIR "/src/cli/corvane-cli"),
                {"batch", "--set", QString::fromStdString("TempDir=" + temp_),
                 QString::fromStdString(WriteBatch("many.ebb", text))});
  process.setReadChannel(QProcess::StandardError);
  ASSERT_TRUE(process.waitForStarted(10000));
  // Interrupt once the first run is under way.
  std::string err;
  while (!Contains(err, "Reading local file") && process.waitForReadyRead(20000)) {
    err += process.readAllStandardError().toStdString();
  }
  ASSERT_TRUE(Contains(err, "Reading local file")) << err;
  ::kill(static_cast<pid_t>(process.processId()), SIGINT);
  ASSERT_TRUE(process.waitForFinished(60000));
  err += process.readAllStandardError().toStdString();
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(process.exitCode(), kExitInterrupted) << err;
  EXPECT_TRUE(Contains(err, "items processed in batch mode")) << err;
  EXPECT_FALSE(FileExists(root_ + "Item" + std::to_string(items - 1)));
}

TEST_F(BatchCommandTest, NumbersStayInTheCFormUnderAGermanLocale) {
  const std::string locales = dir_.File("locales");
  std::filesystem::create_directories(locales);
  QProcess localedef;
  localedef.start("localedef",
                  {"-i", "de_DE", "-f", "UTF-8", QString::fromStdString(locales + "/de_DE.UTF-8")});
  if (!localedef.waitForFinished(60000) || localedef.exitCode() > 1) {
    GTEST_SKIP() << "no German locale can be made here";
  }
  const std::string file = EggFile("may03.csv", "2011-05-03");
  auto batch = [&](const std::string& root) {
    std::filesystem::create_directories(root);
    return WriteBatch("de.ebb", "DataDirectory " + root + "\nExpFilterCoeff 0.002\nLocalEggFile " +
                                    file + "\nGerman 2011-05-03 00:00:00 2011-05-03 00:59:59 " +
                                    "2011-05-03 00:10:00 0.25\n");
  };
  const std::string cRoot = dir_.File("c/");
  ProgramResult result = Run({"batch", "--set", "TempDir=" + temp_, batch(cRoot)});
  ASSERT_EQ(result.exitCode, kExitOk) << result.err;
  const std::string deRoot = dir_.File("de/");
  result = Run({"batch", "--set", "TempDir=" + temp_, batch(deRoot)},
               {{"LOCPATH", locales}, {"LC_ALL", "de_DE.UTF-8"}, {"LANG", "de_DE.UTF-8"}});
  ASSERT_EQ(result.exitCode, kExitOk) << result.err;
  const std::string cData = ReadFile(cRoot + "German/German.dat");
  ASSERT_FALSE(cData.empty());
  EXPECT_TRUE(Contains(cData, "."));
  EXPECT_EQ(ReadFile(deRoot + "German/German.dat"), cData);
}

}  // namespace
}  // namespace corvane
