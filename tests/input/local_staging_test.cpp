// Staging of a run's input files: local names, compressed files read as they
// inflate, and the inflation of downloaded days into files.
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
using ::testing::IsEmpty;

using LocalStagingTest = InputTest;

TEST_F(LocalStagingTest, FurtherDatesAreNamedAfterTheFirstFile) {
  int count = 0;
  context.settings.localEggFile = "/data.v2/quake.2011.csv";
  ProcessLocalFiles(context, 3, files, count);
  EXPECT_THAT(files, ElementsAre("/data.v2/quake.2011.csv", "/data.v2/quake.2011_2.csv",
                                 "/data.v2/quake.2011_3.csv"));
  EXPECT_EQ(count, 3);
  EXPECT_EQ(Log(), "Process local file(s)\n");
  EXPECT_EQ(LocalFileName("/data.v2/quake", 1), "/data.v2/quake_2");
  EXPECT_EQ(LocalFileName("quake", 11), "quake_12");

  // Compressed files keep their names: the reader inflates them as it
  // reads, into the same table as their text, and needs no temporary
  // directory (here a missing one).
  const auto day1 = Options(3, kDay + 3600, 2000);
  const auto day2 = Options(3, kDay + 86400, 2000);
  EXPECT_THAT(Read({Write("quake.csv", day1), Write("quake_2.csv", day2)}), IsEmpty());
  const EggSampleTable plain = table;
  context.settings.localEggFile = Write("quake.gz", day1, true);
  context.settings.tempDirectory = dir.File("none/");
  Write("quake_2.gz", day2, true);
  ProcessLocalFiles(context, 2, files, count);
  EXPECT_THAT(files, ElementsAre(dir.File("quake.gz"), dir.File("quake_2.gz")));
  EXPECT_THAT(Read(files), IsEmpty());
  ExpectTable(plain);
  ASSERT_EQ(table.sampleCount, 4000);
  EXPECT_EQ(Sample(2, 3500), Value(day2, 1003, kDay + 86400 + 1500));
  EXPECT_FALSE(std::filesystem::exists(dir.File("none")));
  EXPECT_EQ(Log(), "Process local file(s)\nProcess local file(s)\n");
}

// Plain text under a .gz name, a truncated or damaged stream (a wrong check
// sum at its end included), one that holds no bytes, garbage, an empty file
// and a missing one end the run, naming the file; nothing of such a file
// reaches the table, and nothing is read as text.
TEST_F(LocalStagingTest, ADamagedCompressedFileEndsTheRun) {
  const auto options = Options(2, kDay, 2000);
  const std::string text = eggdata::GenerateEggData(options);
  const std::string gz = *eggdata::GzipCompress(text);
  std::string crc = gz;
  crc[crc.size() - 6] ^= 0x55;
  const std::string second = dir.File("quake_2.gz");
  const std::string first = Write("quake.gz", options, true);
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
    const std::string message = "Quake: Unable to open " + second + " for input";
    EXPECT_THAT(Read({first, second}), ElementsAre(message));
    EXPECT_TRUE(run->context.Aborted());
    EXPECT_EQ(table.sampleCount, 2000);
    EXPECT_EQ(table.files.at(1).eggCount, 0);
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.File("tmp")));
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
