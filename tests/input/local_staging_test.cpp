// Staging of a run's input files: local names and inflated .gz files.
#include "input/local_staging.h"

#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "eggdata/gzip_bytes.h"
#include "input/inflate_data_file.h"
#include "input_fixture.h"

namespace corvane::testing {
namespace {

using ::testing::ElementsAre;

using LocalStagingTest = InputTest;

TEST_F(LocalStagingTest, FurtherDatesAreNamedAfterTheFirstFile) {
  int count = 0;
  context.settings.localEggFile = "/data.v2/quake.2011.csv";
  ASSERT_TRUE(ProcessLocalFiles(context, 3, files, count));
  EXPECT_THAT(files, ElementsAre("/data.v2/quake.2011.csv", "/data.v2/quake.2011_2.csv",
                                 "/data.v2/quake.2011_3.csv"));
  EXPECT_EQ(count, 3);
  EXPECT_EQ(Log(), "Process local file(s)\n");
  EXPECT_EQ(LocalFileName("/data.v2/quake", 1), "/data.v2/quake_2");
  EXPECT_EQ(LocalFileName("quake", 11), "quake_12");

  // Compressed files are inflated into the temporary directory.
  const auto day2 = Options(3, kDay + 86400, 100);
  context.settings.localEggFile = Write("quake.gz", Options(3, kDay + 3600, 100), true);
  Write("quake_2.gz", day2, true);
  ASSERT_TRUE(ProcessLocalFiles(context, 2, files, count));
  EXPECT_THAT(files, ElementsAre(dir.File("tmp/data.csv"), dir.File("tmp/data_2.csv")));
  EXPECT_EQ(ReadFile(files[1]), eggdata::GenerateEggData(day2));
  EXPECT_THAT(link.statuses(), ElementsAre("Uncompressing data file", "Uncompressing data file"));
  const std::string steps =
      "Opened compressed file\nInflated data\nUncompressed data written to file\n"
      "Zip file closing success\n";
  EXPECT_EQ(Log(), "Process local file(s)\n" + steps + steps + "Process local file(s)\n");
}

// Plain text under a .gz name, a truncated or damaged stream, one that holds
// no bytes, garbage, an empty file and a missing one end the run, naming the
// file, and leave no inflated file behind; nothing is read as text. The
// reader, given such an entry, does the same.
TEST_F(LocalStagingTest, ADamagedCompressedFileEndsTheRun) {
  const auto options = Options(2, kDay, 2000);
  const std::string text = eggdata::GenerateEggData(options);
  const std::string gz = *eggdata::GzipCompress(text);
  std::string crc = gz;
  crc[crc.size() - 6] ^= 0x55;
  const std::string second = dir.File("quake_2.gz");
  context.settings.localEggFile = Write("quake.gz", options, true);
  context.settings.saveRemoteInput = true;  // the reader inflates into the temporary directory
  const std::optional<std::string> damaged[] = {text,
                                                gz.substr(0, gz.size() / 2),
                                                crc,
                                                *eggdata::GzipCompress(""),
                                                std::string("\x1f\x8b junk", 7),
                                                "",
                                                {}};
  for (const auto& bytes : damaged) {
    std::filesystem::remove(second);
    if (bytes) WriteFile(second, *bytes);
    SideRun staged(context.settings);
    int count = 0;
    EXPECT_FALSE(ProcessLocalFiles(staged.context, 2, files, count));
    EXPECT_TRUE(staged.context.Aborted());
    EXPECT_FALSE(FileExists(dir.File("tmp/data_2.csv")));
    const std::string message = "Quake: Unable to open " + second + " for input";
    EXPECT_THAT(staged.link.messageTexts(), ElementsAre(message));
    EXPECT_THAT(Read({context.settings.localEggFile, second}), ElementsAre(message));
    EXPECT_THAT(files, ElementsAre(dir.File("tmp/data.csv"), second));
    EXPECT_EQ(table.sampleCount, 2000);
  }
  EXPECT_THAT(Log(), ::testing::Not(::testing::HasSubstr("Process local file(s)")));
  // A temporary directory that cannot be written is a failure too.
  context.settings.tempDirectory = dir.File("no/such/dir/");
  int count = 0;
  EXPECT_FALSE(ProcessLocalFiles(context, 1, files, count));
  EXPECT_EQ(files[0], "");  // named only once written completely
}

class InflateTest : public InputTest {
 protected:
  // Inflates the gzip stream of the text into entry index.
  bool Inflate(const std::string& text, int index) {
    WriteFile(dir.File("in.gz"), *eggdata::GzipCompress(text));
    return InflateDataFile(context, dir.File("in.gz"), index, files);
  }
  bool NothingStaged() const { return std::filesystem::is_empty(dir.File("tmp")); }
};

TEST_F(InflateTest, OnlyALowerCaseHtmlFirstWordIsAMessagePage) {
  EXPECT_FALSE(Inflate("\n\n  <html>\n<body>No data for that day</body></html>\n", 0));
  EXPECT_THAT(link.messageTexts(), ElementsAre("Quake: Failed to receive data from server"));
  EXPECT_THAT(Log(), ::testing::HasSubstr("Received message instead of data from remote server\n"));
  EXPECT_TRUE(NothingStaged());
  for (const std::string page : {"<HTML>\nx", "<!DOCTYPE html>\n<html>", "<html><body>"}) {
    EXPECT_TRUE(Inflate(page, 2)) << page;  // the list grows to hold the entry
    EXPECT_THAT(files, ElementsAre("", "", dir.File("tmp/data_3.csv")));
    EXPECT_EQ(ReadFile(files[2]), page);
  }
  context.settings.batchMode = true;  // only logged
  EXPECT_FALSE(Inflate("<html> no data", 0));
  EXPECT_EQ(link.messages().size(), 1u);
  EXPECT_FALSE(FileExists(context.SummaryPath()));
}

}  // namespace
}  // namespace corvane::testing
