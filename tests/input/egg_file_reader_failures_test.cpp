// Bad input of every kind the readers refuse. These also run under the
// address and undefined-behaviour sanitizers.
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "eggdata/gzip_bytes.h"
#include "input/egg_file_reader.h"
#include "input_fixture.h"

namespace corvane::testing {
namespace {

using ::testing::ElementsAre;

const std::string kGoodData = "13,1304380800,t,100,101\n13,1304380801,t,102,103\n";

class ReaderFailureTest : public InputTest {
 protected:
  // Reads `text` as the first file and returns what was reported.
  std::vector<std::string> ReadFirst(const std::string& text) {
    WriteFile(dir.File("bad.csv"), text);
    files = {dir.File("bad.csv")};
    ReadFirstDataFile(context, files, 1, table);
    return messages();
  }
  // Reads a good first file, then `text` as the second.
  std::vector<std::string> Append(const std::string& text) {
    WriteFile(dir.File("good.csv"), Header(2, 2, "1,2") + kGoodData);
    WriteFile(dir.File("bad.csv"), text);
    files = {dir.File("good.csv"), dir.File("bad.csv")};
    ReadFirstDataFile(context, files, 2, table);
    EXPECT_FALSE(context.Aborted());
    AppendDataFile(context, files, 1, table);
    return messages();
  }
  static std::string Header(int eggs, long long records, const std::string& ids) {
    return "1,Samples per record\n10,4,200\n11,1," + std::to_string(eggs) + "\n11,4," +
           std::to_string(records) + "\n12,,," + ids + "\n";
  }
  std::string Improper() const {
    return "Quake: " + dir.File("bad.csv") + " is not a proper data file for analysis";
  }

  SegmentFileList files;
  EggSampleTable table;
};

TEST_F(ReaderFailureTest, MissingFilesCannotBeOpened) {
  Mkdir(dir.File("folder.csv"));
  for (const std::string name : {"absent.csv", "folder.csv"}) {
    SideRun run(context.settings);
    files = {dir.File(name)};
    ReadFirstDataFile(run.context, files, 1, table);
    EXPECT_TRUE(run.context.Aborted());
    EXPECT_THAT(run.link.messageTexts(),
                ElementsAre("Quake: Unable to open " + dir.File(name) + " for input"));
  }

  // An appended day that is missing ends the run too, naming the file.
  SideRun second(context.settings);
  WriteFile(dir.File("good.csv"), Header(2, 2, "1,2") + kGoodData);
  files = {dir.File("good.csv"), dir.File("good_2.csv")};
  ReadFirstDataFile(second.context, files, 2, table);
  AppendDataFile(second.context, files, 1, table);
  EXPECT_TRUE(second.context.Aborted());
  EXPECT_THAT(second.link.messageTexts(),
              ElementsAre("Quake: Unable to open " + dir.File("good_2.csv") + " for input"));
}

TEST_F(ReaderFailureTest, EmptyEntryNamesTheMissingDay) {
  WriteFile(dir.File("good.csv"), Header(2, 2, "1,2") + kGoodData);
  files = {dir.File("good.csv"), ""};
  ReadFirstDataFile(context, files, 2, table);
  AppendDataFile(context, files, 1, table);
  EXPECT_TRUE(context.Aborted());
  EXPECT_THAT(messages(), ElementsAre("Quake: No data file for day 2 of the run"));
}

TEST_F(ReaderFailureTest, FirstLineWithoutMarkerIsRefusedEvenWhenTheRestIsSound) {
  std::string text = Header(2, 2, "1,2") + kGoodData;
  text.replace(text.find("Samples per record"), 18, "Samples per recorx");
  EXPECT_THAT(ReadFirst(text), ElementsAre(Improper()));
  EXPECT_TRUE(context.Aborted());
  EXPECT_EQ(table.sampleCount, 0);
}

TEST_F(ReaderFailureTest, HeadersTheTableCannotHoldAreRefused) {
  const std::vector<std::string> bad = {
      "",                                                              // an empty file
      "1,Samples per record\n10,4,200\n11,1,2\n11,4,2\n",              // ends before type 12
      Header(201, 2, "1,2") + kGoodData,                               // too many eggs
      Header(-1, 2, "1,2") + kGoodData,                                // negative egg count
      Header(3, 2, "1,2") + kGoodData,                                 // fewer ids than eggs
      Header(2, 2, "1,") + kGoodData,                                  // an empty id
      Header(2, 2, "1,x") + kGoodData,                                 // an id that is no number
      Header(2, 2, "1,99999999999") + kGoodData,                       // an id beyond 32 bits
      Header(2, -5, "1,2") + kGoodData,                                // negative record count
      "1,Samples per record\n11,1,2\n11,4,2\n12,,,1,2\n" + kGoodData,  // no trial size
      "1,Samples per record\n10,4,0\n11,1,2\n11,4,2\n12,,,1,2\n" + kGoodData,  // trial size 0
  };
  for (const std::string& text : bad) {
    SideRun run(context.settings);
    WriteFile(dir.File("bad.csv"), text);
    files = {dir.File("bad.csv")};
    ReadFirstDataFile(run.context, files, 1, table);
    EXPECT_TRUE(run.context.Aborted()) << text;
    EXPECT_THAT(run.link.messageTexts(), ElementsAre(Improper())) << text;
    EXPECT_EQ(table.sampleCount, 0) << text;
  }
}

TEST_F(ReaderFailureTest, AppendedFileWithABadHeaderEndsTheRun) {
  EXPECT_THAT(Append("1,x\n10,4,200\n11,1,2\n"), ElementsAre(Improper()));
  EXPECT_TRUE(context.Aborted());
  EXPECT_EQ(table.sampleCount, 2);  // the first file's samples stay
}

TEST_F(ReaderFailureTest, AppendedFileNeedsNoMarkerLine) {
  EXPECT_THAT(Append("0,plain\n10,4,200\n11,1,2\n11,4,1\n12,,,2,1\n13,5,t,90,91\n"),
              ::testing::IsEmpty());
  EXPECT_FALSE(context.Aborted());
  ASSERT_EQ(table.sampleCount, 3);
  EXPECT_EQ(table.columns[0].samples[2], 91);
  EXPECT_EQ(table.columns[1].samples[2], 90);
}

TEST_F(ReaderFailureTest, ResolutionBelowOneIsRefused) {
  for (int resolution : {0, -3, kMaxResolution + 1}) {
    SideRun run(context.settings);
    run.context.settings.resolution = resolution;
    WriteFile(dir.File("good.csv"), Header(2, 2, "1,2") + kGoodData);
    files = {dir.File("good.csv")};
    ReadFirstDataFile(run.context, files, 1, table);
    EXPECT_TRUE(run.context.Aborted());
    ASSERT_EQ(run.link.messageTexts().size(), 1u);
    EXPECT_THAT(run.link.messageTexts()[0], ::testing::HasSubstr("Resolution"));
    EXPECT_EQ(table.sampleCount, 0);
  }
}

TEST_F(ReaderFailureTest, TrialSizeTimesResolutionMustFitTheTable) {
  context.settings.resolution = 20000;
  EXPECT_THAT(ReadFirst("1,Samples per record\n10,4,200000\n11,1,1\n11,4,1\n12,,,1\n13,1,t,100\n"),
              ElementsAre(Improper()));
}

TEST_F(ReaderFailureTest, DamagedCompressedFileIsNeverReadAsText) {
  // Plain text under a .gz name, a truncated stream and garbage.
  const std::string text = Header(2, 2, "1,2") + kGoodData;
  const std::string gz = *eggdata::GzipCompress(text);
  for (const std::string& bytes :
       {text, gz.substr(0, gz.size() / 2), std::string("\x1f\x8b junk", 7), std::string()}) {
    SideRun run(context.settings);
    WriteFile(dir.File("bad.gz"), bytes);
    files = {dir.File("bad.gz")};
    ReadFirstDataFile(run.context, files, 1, table);
    EXPECT_TRUE(run.context.Aborted());
    EXPECT_THAT(run.link.messageTexts(),
                ElementsAre("Quake: Unable to open " + dir.File("bad.gz") + " for input"));
    EXPECT_EQ(files[0], dir.File("bad.gz"));
    EXPECT_EQ(table.sampleCount, 0);
  }
}

// A header that claims billions of records must not make the table take
// memory for them: no more than the file's full records could fill, while
// short (damaged) records beyond that estimate are still read.
TEST_F(ReaderFailureTest, AnInflatedRecordCountTakesNoMemoryBeyondTheFile) {
  std::string ids, values;
  for (int k = 1; k <= kMaxEggs; ++k) {
    ids += (k > 1 ? "," : "") + std::to_string(1000 + k);
    values += ",100";
  }
  std::string text = Header(kMaxEggs, 2000000000, ids);
  for (int r = 0; r < 3; ++r) text += "13," + std::to_string(kDay + r) + ",t" + values + "\n";
  EXPECT_THAT(ReadFirst(text), ElementsAre("Record 3 is out of sync"));
  ASSERT_EQ(table.sampleCount, 3);
  EXPECT_EQ(table.columns[kMaxEggs - 1].samples[2], 100);
  for (int k = 0; k < kMaxEggs; ++k) EXPECT_LE(table.columns[k].samples.capacity(), 16u);

  // Records far shorter than the header's egg count: eggs beyond the line
  // are missing, and every record is kept.
  text = Header(kMaxEggs, 2000000000, ids);
  for (int r = 0; r < 500; ++r) {
    text += "13," + std::to_string(kDay + r) + ",t," + std::to_string(100 + 10 * (r % 5)) + "\n";
  }
  SideRun run(context.settings);
  WriteFile(dir.File("short.csv"), text);
  files = {dir.File("short.csv")};
  ReadFirstDataFile(run.context, files, 1, table);
  EXPECT_THAT(run.link.messageTexts(), ElementsAre("Record 500 is out of sync"));
  ASSERT_EQ(table.sampleCount, 500);
  for (int r = 0; r < 500; ++r) {
    EXPECT_EQ(table.columns[0].samples[r], 100 + 10 * (r % 5));
    EXPECT_EQ(table.columns[1].samples[r], kMissingSample);
  }
  for (int k = 0; k < kMaxEggs; ++k) {
    EXPECT_EQ(table.columns[k].samples.size(), 500u);
    EXPECT_EQ(table.columns[k].storedCount, 500);
  }
}

TEST_F(ReaderFailureTest, ArbitraryBytesNeverCrashTheReader) {
  // Every prefix of a sound file, and a few corruptions of it.
  std::string text = Header(3, 4, "1,2,3") +
                     "13,1,t,100,101,102\n13,2,t,,,\n13,3,t,9999999999999999999999,1,2\n13,4,t\n";
  for (size_t cut = 0; cut <= text.size(); cut += 7) {
    SideRun run(context.settings);
    WriteFile(dir.File("cut.csv"), text.substr(0, cut));
    files = {dir.File("cut.csv"), dir.File("cut.csv")};
    ReadFirstDataFile(run.context, files, 2, table);
    AppendDataFile(run.context, files, 1, table);
    for (int k = 0; k < table.eggCount; ++k) {
      EXPECT_EQ(table.columns[k].samples.size(), static_cast<size_t>(table.sampleCount));
    }
  }
}

}  // namespace
}  // namespace corvane::testing
