// Staging of a run's input files: local names, compressed files read as they
// inflate, and downloaded days inflated and parsed in one pass.
#include "input/local_staging.h"

#include <algorithm>
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

TEST_F(LocalStagingTest, FurtherDaysAreNamedAfterTheFirstAndReadAsGeneratedPlainOrCompressed) {
  int count = 0;
  context.settings.localEggFile = "/data.v2/quake.2011.csv";
  ProcessLocalFiles(context, 3, files, count);
  EXPECT_THAT(files, ElementsAre("/data.v2/quake.2011.csv", "/data.v2/quake.2011_2.csv",
                                 "/data.v2/quake.2011_3.csv"));
  EXPECT_EQ(count, 3);
  EXPECT_EQ(Log(), "Process local file(s)\n");
  EXPECT_EQ(LocalFileName("/data.v2/quake", 1), "/data.v2/quake_2");
  EXPECT_EQ(LocalFileName("quake", 11), "quake_12");

  // Every value as generated, with lines ended by CR LF or LF, and the
  // subgroup's eggs selected.
  context.settings.eggSubgroup = {1002, 1099};
  auto day1 = Options(3, kDay + 3600, 2000);
  auto day2 = Options(3, kDay + 86400, 2000);
  day1.missingFraction = day2.missingFraction = 0.2;
  day1.crlf = true;
  EXPECT_THAT(Read({Write("quake.csv", day1), Write("quake_2.csv", day2)}), IsEmpty());
  ASSERT_EQ(table.sampleCount, 4000);
  EXPECT_EQ(table.firstSampleTime.Seconds(), kDay + 3600);
  EXPECT_EQ(table.lastRecordTime.Seconds(), kDay + 86400 + 1999);
  long missing = 0;
  for (int k = 0; k < 3; ++k) {
    const EggColumn& column = table.columns[static_cast<size_t>(k)];
    EXPECT_EQ(column.eggId, 1001 + k);
    EXPECT_EQ(column.selected, k == 1 ? 1 : 0);
    for (int i = 0; i < 2000; ++i) {
      EXPECT_EQ(Sample(k, i), Value(day1, 1001 + k, kDay + 3600 + i));
      EXPECT_EQ(Sample(k, 2000 + i), Value(day2, 1001 + k, kDay + 86400 + i));
    }
    missing += std::count(column.samples.begin(), column.samples.end(), kMissingSample);
  }
  EXPECT_GT(missing, 800);

  // Compressed files keep their names: the reader inflates them as it
  // reads, into the same table as their text, and needs no temporary
  // directory (here a missing one).
  const EggSampleTable plain = table;
  context.settings.localEggFile = Write("quake.gz", day1, true);
  context.settings.tempDirectory = dir.File("none/");
  Write("quake_2.gz", day2, true);
  ProcessLocalFiles(context, 2, files, count);
  EXPECT_THAT(files, ElementsAre(dir.File("quake.gz"), dir.File("quake_2.gz")));
  EXPECT_THAT(Read(files), IsEmpty());
  ExpectTable(plain);
  EXPECT_FALSE(std::filesystem::exists(dir.File("none")));
  const std::string day_log = "Process local file(s)\nEgg subgroup ids not in the data: 1099\n";
  EXPECT_EQ(Log(), day_log + day_log);
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
  // Inflates and parses the gzip stream of the text as entry index.
  std::shared_ptr<const ParsedEggFile> Inflate(const std::string& text, int index) {
    WriteFile(dir.File("in.gz"), *eggdata::GzipCompress(text));
    return InflateDataFile(context, dir.File("in.gz"), index, files);
  }
  bool NothingWritten() const {
    return std::filesystem::is_empty(dir.File("tmp")) &&
           std::filesystem::is_empty(dir.File("root"));
  }
};

TEST_F(InflateTest, OnlyALowerCaseHtmlFirstWordIsAMessagePage) {
  EXPECT_EQ(Inflate("\n\n  <html>\n<body>No data for that day</body></html>\n", 0), nullptr);
  EXPECT_THAT(link.messageTexts(), ElementsAre("Quake: Failed to receive data from server"));
  EXPECT_THAT(Log(), ::testing::HasSubstr("Received message instead of data from remote server\n"));
  EXPECT_TRUE(NothingWritten());
  // Anything else is read as data, and kept as it came only when the run
  // keeps its remote input; the list grows to hold the entry.
  for (const std::string page : {"<HTML>\nx", "<!DOCTYPE html>\n<html>", "<html><body>"}) {
    context.settings.saveRemoteInput = false;
    EXPECT_NE(Inflate(page, 2), nullptr) << page;
    EXPECT_THAT(files, IsEmpty());
    EXPECT_TRUE(NothingWritten());
    context.settings.saveRemoteInput = true;
    const auto parsed = Inflate(page, 2);
    ASSERT_NE(parsed, nullptr) << page;
    EXPECT_EQ(parsed->headerStatus, HeaderStatus::kImproper);
    EXPECT_THAT(files, ElementsAre("", "", dir.File("root/Quake_3.csv")));
    EXPECT_EQ(ReadFile(files[2]), page);
    std::filesystem::remove(files[2]);
    files.clear();
  }
  context.settings.batchMode = true;  // only logged
  EXPECT_EQ(Inflate("<html> no data", 0), nullptr);
  EXPECT_EQ(link.messages().size(), 1u);
  EXPECT_FALSE(FileExists(context.SummaryPath()));
}

}  // namespace
}  // namespace corvane::testing
