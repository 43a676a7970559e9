#include "input/local_staging.h"

#include <unistd.h>
#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "input_fixture.h"

namespace corvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class LocalStagingTest : public InputTest {
 protected:
  std::string Log() const { return log.Text(); }

  LogCapture log{dir.File("egg.log")};
  SegmentFileList files;
  int inputFileCount = 0;
};

TEST_F(LocalStagingTest, FurtherDatesAreNamedAfterTheFirstFile) {
  context.settings.localEggFile = "/data/quake.csv";
  ASSERT_TRUE(ProcessLocalFiles(context, 3, files, inputFileCount));
  EXPECT_THAT(files, ElementsAre("/data/quake.csv", "/data/quake_2.csv", "/data/quake_3.csv"));
  EXPECT_EQ(inputFileCount, 3);
  EXPECT_EQ(Log(), "Process local file(s)\n");
  EXPECT_FALSE(context.Aborted());
}

TEST_F(LocalStagingTest, NamesSplitAtTheFileNamesLastDot) {
  EXPECT_EQ(LocalFileName("/data.v2/quake", 1), "/data.v2/quake_2");
  EXPECT_EQ(LocalFileName("/data/quake.2011.csv", 11), "/data/quake.2011_12.csv");
  EXPECT_EQ(LocalFileName("quake", 2), "quake_3");
  EXPECT_EQ(LocalFileName("/data.v2/quake.txt", 0), "/data.v2/quake.txt");
}

TEST_F(LocalStagingTest, OneDateReadsOnlyTheNamedFile) {
  context.settings.localEggFile = "/data/any name.dat";
  ASSERT_TRUE(ProcessLocalFiles(context, 1, files, inputFileCount));
  EXPECT_THAT(files, ElementsAre("/data/any name.dat"));
  EXPECT_EQ(inputFileCount, 1);
}

TEST_F(LocalStagingTest, CompressedFilesAreInflatedBeforeReading) {
  const auto day1 = Options(3, kDay + 3600, 100);
  const auto day2 = Options(3, kDay + 86400, 100);
  context.settings.localEggFile = Write("quake.gz", day1, true);
  Write("quake_2.gz", day2, true);
  ASSERT_TRUE(ProcessLocalFiles(context, 2, files, inputFileCount));
  EXPECT_THAT(files, ElementsAre(dir.File("tmp/data.csv"), dir.File("tmp/data_2.csv")));
  EXPECT_EQ(ReadFile(files[1]), eggdata::GenerateEggData(day2));
  EXPECT_THAT(Log(), ::testing::EndsWith("Process local file(s)\n"));
}

TEST_F(LocalStagingTest, CompressedFileThatCannotBeInflatedEndsTheRun) {
  context.settings.localEggFile = Write("quake.gz", Options(3, kDay, 10), true);
  WriteFile(dir.File("quake_3.gz"), "not compressed");
  ASSERT_FALSE(ProcessLocalFiles(context, 3, files, inputFileCount));
  EXPECT_TRUE(context.Aborted());
  EXPECT_THAT(messages(),
              ElementsAre("Quake: Unable to open " + dir.File("quake_2.gz") + " for input"));
  EXPECT_THAT(Log(), ::testing::Not(::testing::HasSubstr("Process local file(s)")));
}

class OutputDirectoryTest : public LocalStagingTest {
 protected:
  void SetOutput(const std::string& directory) { context.settings.outputDirectory = directory; }
};

TEST_F(OutputDirectoryTest, CreatesTheLastLevelWithoutChangingTheCurrentDirectory) {
  const std::filesystem::path before = std::filesystem::current_path();
  SetOutput(dir.File("root/Quake/"));
  ASSERT_TRUE(EnsureOutputDirectory(context));
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("root/Quake")));
  EXPECT_EQ(std::filesystem::current_path(), before);

  // An existing directory is used as it is, its files untouched.
  WriteFile(dir.File("root/Quake/Quake.dat"), "old results");
  ASSERT_TRUE(EnsureOutputDirectory(context));
  EXPECT_EQ(ReadFile(dir.File("root/Quake/Quake.dat")), "old results");
  EXPECT_THAT(messages(), IsEmpty());
  EXPECT_EQ(Log(), "");
}

TEST_F(OutputDirectoryTest, MissingRootFailsWithAMessage) {
  SetOutput(dir.File("absent/Quake/"));
  EXPECT_FALSE(EnsureOutputDirectory(context));
  const std::string message = "Failed to create directory " + dir.File("absent/Quake/");
  EXPECT_THAT(messages(), ElementsAre(message));
  EXPECT_EQ(Log(), message + "\n");
  EXPECT_FALSE(FileExists(dir.File("absent")));
}

TEST_F(OutputDirectoryTest, FileInPlaceOfTheDirectoryFails) {
  WriteFile(dir.File("root/Quake"), "a file");
  SetOutput(dir.File("root/Quake/"));
  EXPECT_FALSE(EnsureOutputDirectory(context));
  EXPECT_THAT(messages(), ElementsAre("Failed to create directory " + dir.File("root/Quake/")));
}

TEST_F(OutputDirectoryTest, BatchModeWritesTheMessageToTheSummary) {
  context.settings.batchMode = true;
  SetOutput(dir.File("absent/Quake/"));
  EXPECT_FALSE(EnsureOutputDirectory(context));
  EXPECT_THAT(messages(), IsEmpty());
  EXPECT_EQ(ReadFile(context.SummaryPath()),
            "Quake: Failed to create directory " + dir.File("absent/Quake/") + "\n");
}

}  // namespace
}  // namespace corvane::testing
