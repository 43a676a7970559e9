// Reading batch files: line rules, keywords and their carry-over, data
// records, refusals and the item limit, on real files.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "app/batch_file.h"
#include "support/fifo.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::TempDir;
using testing::WriteFile;

const std::string kRecord1 =
    "Quake1 2011-05-03 00:00:00 2011-05-03 23:59:59 2011-05-03 14:30:00 2.0";
const std::string kRecord2 = "Quake2 2011-05-04 00:00:00 2011-05-04 23:59:59";
const std::string kRecord3 = "Quake3 2011-05-05 00:00:00 2011-05-05 12:00:00";

class BatchFileTest : public ::testing::Test {
 protected:
  BatchFile Read(const std::string& text) {
    WriteFile(dir_.File("test.ebb"), text);
    return ReadBatchFile(dir_.File("test.ebb"), form_);
  }

  TempDir dir_;
  BatchItem form_;
};

TEST_F(BatchFileTest, RecordsBecomeItemsAndKeywordsCarryOverToLaterItemsOnly) {
  const BatchFile file =
      Read("DataDirectory /data/out\n" + kRecord1 + "\n" + kRecord2 +
           "\nSmoothingWindowSize 600\n" + kRecord3 + "\nResolution 2\n" + kRecord2 + "\n");
  ASSERT_TRUE(file.opened);
  EXPECT_TRUE(file.messages.empty());
  ASSERT_EQ(file.count, 4);
  const BatchItem& first = file.items[0];
  EXPECT_EQ(
      std::tie(first.dataName, first.startTime, first.stopTime, first.eventTime),
      std::tie("Quake1", "2011-05-03 00:00:00", "2011-05-03 23:59:59", "2011-05-03 14:30:00"));
  EXPECT_DOUBLE_EQ(first.eventDuration, 2.0);
  EXPECT_EQ(first.outputRoot, "/data/out");
  EXPECT_TRUE(first.remoteAccess);
  EXPECT_EQ(file.items[1].eventTime, "");
  EXPECT_EQ(file.items[1].eventDuration, 0.0);
  EXPECT_EQ(file.items[1].outputRoot, "/data/out");
  EXPECT_EQ(file.items[1].smoothWindowSize, 900);
  EXPECT_EQ(file.items[2].smoothWindowSize, 600);
  EXPECT_EQ(file.items[2].resolution, 1);
  EXPECT_EQ(file.items[3].resolution, 2);
  // The form holds the keyword values and the last record's texts.
  EXPECT_EQ(file.form.smoothWindowSize, 600);
  EXPECT_EQ(file.form.startTime, "2011-05-04 00:00:00");
}

TEST_F(BatchFileTest, LocalEggFileAppliesToItsItemOnly) {
  const BatchFile file =
      Read("LocalEggFile /data/egg.csv\n" + kRecord1 + "\n" + kRecord2 +
           "\nForceRemoteAccess 1\nLocalEggFile /data/b.csv\n" + kRecord3 + "\n");
  ASSERT_EQ(file.count, 3);
  EXPECT_EQ(file.items[0].localEggFile, "/data/egg.csv");
  EXPECT_FALSE(file.items[0].remoteAccess);
  EXPECT_EQ(file.items[1].localEggFile, "");
  EXPECT_TRUE(file.items[1].remoteAccess);
  // With ForceRemoteAccess 1 an item with a local egg file still fetches
  // remote data.
  EXPECT_EQ(file.items[2].localEggFile, "/data/b.csv");
  EXPECT_TRUE(file.items[2].remoteAccess);
  EXPECT_TRUE(file.items[2].forceRemoteAccess);
  EXPECT_EQ(file.form.localEggFile, "");
}

TEST_F(BatchFileTest, EveryKeywordSetsItsValuesOnAClearedRequest) {
  // A new batch starts from the form's request with the batch-only values
  // cleared; the others stay.
  form_.outputRoot = "/old";
  form_.localEggFile = "/old.csv";
  form_.remoteAccess = false;
  form_.echoMethod = 1;
  form_.smoothWindowSize = 300;
  const BatchItem cleared = Read(kRecord2 + "\n").items.at(0);
  EXPECT_EQ(std::tie(cleared.outputRoot, cleared.localEggFile), std::tie("", ""));
  EXPECT_TRUE(cleared.remoteAccess);
  EXPECT_EQ(cleared.echoMethod, 0);
  EXPECT_EQ(cleared.smoothWindowSize, 300);

  const BatchFile file = Read(
      "SubgroupFile /data/europe.esg\nSaveRemoteInput 1 1 /data/remote\nAudioOutput 1\n"
      "DFTOutput 1 50000\nCompareIntervals 1 7200\nEventEchoDetect 2 9\n"
      "ExpFilterCoeff 0.002\nSmoothingWindowType 1\n"
      "DataDirectory /data/out extra-words-are-ignored\n" +
      kRecord1 + "\n");
  ASSERT_EQ(file.count, 1) << ::testing::PrintToString(file.messages);
  const BatchItem& item = file.items[0];
  EXPECT_EQ(item.eggGroupFile, "/data/europe.esg");
  EXPECT_TRUE(item.saveRemoteInput && item.saveCompressed && item.audioOutput && item.dft);
  EXPECT_EQ(item.remoteSaveDirectory, "/data/remote");
  EXPECT_EQ(item.dftSize, 50000);
  // CompareIntervals with fewer numbers replaces only the numbers given.
  EXPECT_TRUE(item.compareIntervals);
  EXPECT_EQ(std::tie(item.interval1Start, item.interval2Start, item.intervalDuration),
            std::tuple(7200, 3600, 3600));
  EXPECT_EQ(std::tie(item.echoMethod, item.displayVariable, item.smoothWindowType),
            std::tuple(2, 9, 1));
  EXPECT_DOUBLE_EQ(item.expCoeff, 0.002);
  EXPECT_EQ(item.outputRoot, "/data/out");
}

// "SubgroupFile -" clears the subgroup file for later items; a keyword line
// without its argument keeps the value; "Resolution 1" goes back to 1.
TEST_F(BatchFileTest, CarriedOverValuesCanBeCleared) {
  const BatchFile file =
      Read("SubgroupFile /data/europe.esg\nResolution 2\n" + kRecord1 + "\nSubgroupFile\n" +
           kRecord2 + "\nSubgroupFile -\nResolution 1\n" + kRecord3 + "\n");
  ASSERT_EQ(file.count, 3) << ::testing::PrintToString(file.messages);
  using Values = std::pair<std::string, int>;
  auto values = [&](int i) { return Values(file.items[i].eggGroupFile, file.items[i].resolution); };
  EXPECT_EQ(values(0), Values("/data/europe.esg", 2));
  EXPECT_EQ(values(1), Values("/data/europe.esg", 2));
  EXPECT_EQ(values(2), Values("", 1));
  EXPECT_EQ(file.form.eggGroupFile, "");
}

TEST_F(BatchFileTest, ShortLinesCommentsAndBlankLinesAreSkipped) {
  // "AudioOut" (8 characters, 9 with the line end) is skipped whatever it
  // holds; "Resolution 2" (13 with its line end) is read; so is a last line
  // without a line end.
  const BatchFile file = Read(
      "# a comment that names Quake9 2011-05-03 00:00:00 x\n"
      "AudioOut\n\n   \nabc 1 2\nResolution 2\n#" +
      kRecord1 + "\n" + kRecord2 + "\nResolution 3\n" + kRecord3);
  EXPECT_TRUE(file.messages.empty());
  ASSERT_EQ(file.count, 2);
  EXPECT_EQ(file.items[0].dataName, "Quake2");
  EXPECT_EQ(file.items[0].resolution, 2);
  EXPECT_EQ(file.items[1].stopTime, "2011-05-05 12:00:00");
  // Keywords after the last record reach the form only.
  const BatchFile keywords = Read("Resolution 4\n");
  EXPECT_EQ(keywords.count, 0);
  EXPECT_EQ(keywords.form.resolution, 4);
}

TEST_F(BatchFileTest, WindowsLineEndsReadExactlyLikeUnixOnes) {
  const std::string unix = "# comment\nDataDirectory /data/out\nResolution 2\n" + kRecord1 +
                           "\nLocalEggFile /data/egg.csv\n" + kRecord2 + "\n";
  std::string windows;
  for (const char c : unix) windows += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const BatchFile a = Read(unix);
  const BatchFile b = Read(windows);
  ASSERT_EQ(a.count, 2);
  ASSERT_EQ(b.count, 2);
  EXPECT_TRUE(b.messages.empty());
  auto texts = [](const BatchItem& item) {
    return std::tuple(item.dataName, item.startTime, item.stopTime, item.eventTime,
                      item.eventDuration, item.outputRoot, item.localEggFile, item.resolution);
  };
  for (int i = 0; i < 2; ++i) EXPECT_EQ(texts(a.items[i]), texts(b.items[i]));
  EXPECT_EQ(b.items[1].localEggFile, "/data/egg.csv");
}

TEST_F(BatchFileTest, BadRecordsStopReadingAndKeepTheItemsBefore) {
  struct Case {
    const char* what;
    std::string line;
  };
  const std::string longName(100, 'N');
  const Case cases[] = {
      {"40 characters with the line end", "Quak 2011-05-03 00:00:00 2011-05-03 23:"},
      {"start date begins with letters", "Quake May-03-2011 00:00:00 May-03-2011 23:59:59"},
      {"data name over 99 characters", longName + " 2011-05-03 00:00:00 2011-05-03 23:59:59"},
      {"date and time joined over 39 characters",
       "Quake 2011-05-03 00:00:00.000000000000000000000000 2011-05-03 23:59:59"},
      {"event duration that is not a number", kRecord2 + " 2011-05-04 12:00:00 2,5"},
      {"300 characters with a 254-character name",
       std::string(254, 'N') + " 2011-05-03 00:00:00 2011-05-03 23:59:59"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const BatchFile file = Read(kRecord1 + "\n" + c.line + "\n" + kRecord3 + "\n");
    EXPECT_EQ(file.count, 1);
    ASSERT_EQ(file.messages.size(), 1u);
    EXPECT_EQ(file.messages[0], "Invalid batch file record:\n" + c.line);
  }
  // 41 characters with the line end is a record.
  const std::string shortest = "Quak 2011-05-03 00:00:00 2011-05-03 23:5";
  ASSERT_EQ(shortest.size(), 40u);
  ASSERT_EQ(cases[0].line.size(), 39u);
  ASSERT_EQ(cases[5].line.size(), 294u);
  const BatchFile ok = Read(shortest + "\n");
  EXPECT_TRUE(ok.messages.empty());
  EXPECT_EQ(ok.count, 1);
}

// Lines of any length: comments and blank lines are skipped, a record is
// read whenever its fields fit, and only what reading needs is kept.
TEST_F(BatchFileTest, LongLinesAreReadWhenTheirFieldsFit) {
  const std::string record = kRecord2 + " 2011-05-04 12:00:00 1.5";
  const std::string spaced = "Quake2   " + record.substr(7) + std::string(300, ' ') + "  extra";
  ASSERT_GT(spaced.size(), 300u);
  const std::string name99(99, 'n');
  const BatchFile file = Read("# " + std::string(298, 'c') + "\n" + std::string(300, ' ') + "\n" +
                              "#" + std::string(1 << 20, '#') + "\r\n" + spaced + "\r\n" + name99 +
                              record.substr(6) + std::string(300, '\t') + "\n");
  EXPECT_TRUE(file.messages.empty()) << file.messages[0].substr(0, 100);
  ASSERT_EQ(file.count, 2);
  EXPECT_EQ(std::tie(file.items[0].dataName, file.items[0].eventTime),
            std::tie("Quake2", "2011-05-04 12:00:00"));
  EXPECT_DOUBLE_EQ(file.items[0].eventDuration, 1.5);
  EXPECT_EQ(file.items[1].dataName, name99);

  // A huge bad record is shown by its beginning.
  const std::string huge = std::string(1 << 20, 'x') + " 2011-05-04 00:00:00 2011-05-04 23:59:59";
  const BatchFile refused = Read(kRecord1 + "\n" + huge + "\n");
  EXPECT_EQ(refused.count, 1);
  ASSERT_EQ(refused.messages.size(), 1u);
  EXPECT_EQ(refused.messages[0], "Invalid batch file record:\n" + huge.substr(0, 4096) + "...");
}

// Numbers are read up to 256 characters (leading zeros included); a longer
// one is refused rather than cut.
TEST_F(BatchFileTest, ANumberOver256CharactersIsRefused) {
  const std::string two = std::string(255, '0') + "2";
  const BatchFile fits = Read("Resolution " + two + "\n" + kRecord1 + "\n");
  EXPECT_TRUE(fits.messages.empty());
  ASSERT_EQ(fits.count, 1);
  EXPECT_EQ(fits.items[0].resolution, 2);
  const BatchFile over = Read("Resolution 0" + two + "\n" + kRecord1 + "\n");
  EXPECT_EQ(over.count, 0);
  ASSERT_EQ(over.messages.size(), 1u);
  EXPECT_EQ(over.messages[0], "Invalid batch file line:\nResolution 0" + two +
                                  "\nA number in a batch file is at most 256 characters long.");
  const BatchFile hours = Read(kRecord2 + " 2011-05-04 12:00:00 0" + two + "\n");
  EXPECT_EQ(hours.count, 0);
  EXPECT_EQ(hours.messages.size(), 1u);
}

TEST_F(BatchFileTest, KeywordValuesARunCannotUseAreRefused) {
  struct Case {
    const char* line;
    const char* reason;  // part of the message
  };
  const Case cases[] = {
      {"Resolution 0", "resolution"},
      {"AudioOutput 2", "\"2\" is not 0 or 1"},
      {"DFTOutput 1 1", "DFT size"},
      {"CompareIntervals 1 0 3600 1", "duration"},
      {"EventEchoDetect 3 5", "echo method"},
      {"EventEchoDetect 1 12", "display variable"},
      {"SmoothingWindowType 7", "mode"},
      {"ExpFilterCoeff 1.5", "coefficient"},
      {"ExpFilterCoeff fast", "\"fast\" is not a number"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const BatchFile file = Read(kRecord1 + "\n" + c.line + "\n" + kRecord2 + "\n");
    EXPECT_EQ(file.count, 1);
    ASSERT_EQ(file.messages.size(), 1u);
    EXPECT_EQ(file.messages[0].rfind("Invalid batch file line:\n" + std::string(c.line) + "\n", 0),
              0u)
        << file.messages[0];
    EXPECT_NE(file.messages[0].find(c.reason), std::string::npos) << file.messages[0];
  }
  // A window size is checked for the filter that uses it.
  const BatchFile triangle =
      Read(std::string("SmoothingWindowSize 1\n") + kRecord1 + "\nSmoothingWindowType 2\n");
  EXPECT_EQ(triangle.count, 1);
  EXPECT_EQ(triangle.messages.size(), 1u);
  // A disabled DFT takes any size.
  EXPECT_TRUE(Read(std::string("DFTOutput 0 0\n") + kRecord1 + "\n").messages.empty());
}

TEST_F(BatchFileTest, PathsOverTheirCapacityAreRefused) {
  const std::string path = "/" + std::string(199, 'p');
  const BatchFile file = Read("DataDirectory " + path + "\n" + kRecord1 + "\n");
  EXPECT_EQ(file.count, 0);
  ASSERT_EQ(file.messages.size(), 1u);
  EXPECT_NE(file.messages[0].find("at most 199 characters"), std::string::npos);
  const BatchFile fits = Read("DataDirectory " + path.substr(1) + "\n" + kRecord1 + "\n");
  ASSERT_EQ(fits.count, 1);
  EXPECT_EQ(fits.items[0].outputRoot.size(), 199u);
}

// Both sides of two limits: a line of 9 characters with its line end is
// skipped, one of 10 is read (here as a record too short to be one); a date
// and time of 39 characters are read, one more is refused.
TEST_F(BatchFileTest, ShortLinesAndTimeTextsOnBothSidesOfTheirLimits) {
  const BatchFile skipped = Read("abcdefgh\n" + kRecord1 + "\n");
  EXPECT_TRUE(skipped.messages.empty());
  EXPECT_EQ(skipped.count, 1);
  const BatchFile read = Read("abcdefghi\n" + kRecord1 + "\n");
  EXPECT_EQ(read.messages, std::vector<std::string>{"Invalid batch file record:\nabcdefghi"});
  EXPECT_EQ(read.count, 0);

  const std::string time = "00:00:00." + std::string(19, '0');  // 39 with its date
  const BatchFile fits = Read("Quake 2011-05-03 " + time + " 2011-05-03 23:59:59\n");
  ASSERT_EQ(fits.count, 1);
  EXPECT_EQ(fits.items[0].startTime, "2011-05-03 " + time);
  const BatchFile over = Read("Quake 2011-05-03 " + time + "0 2011-05-03 23:59:59\n");
  EXPECT_EQ(over.count, 0);
  EXPECT_EQ(over.messages.size(), 1u);
}

TEST_F(BatchFileTest, AtMost5000ItemsAreRead) {
  std::string text;
  for (int i = 0; i < 5001; ++i) {
    text += "Item" + std::to_string(i) + " 2011-05-03 00:00:00 2011-05-03 23:59:59\n";
  }
  const BatchFile limited = Read(text);
  EXPECT_EQ(limited.count, 5000);
  ASSERT_EQ(limited.messages.size(), 1u);
  EXPECT_EQ(limited.messages[0], "Only the first 5000 batch items will be processed");
  EXPECT_EQ(limited.items.back().dataName, "Item4999");

  // Exactly 5000 items, then only comments and short lines: no message.
  text.erase(text.rfind("Item5000"));
  const BatchFile exact = Read(text + "# the end of the batch\n\n");
  EXPECT_EQ(exact.count, 5000);
  EXPECT_TRUE(exact.messages.empty());
}

TEST_F(BatchFileTest, AFileThatCannotBeOpenedChangesNothing) {
  form_.dataName = "Kept";
  const BatchFile file = ReadBatchFile(dir_.File("missing.ebb"), form_);
  EXPECT_EQ(std::tie(file.opened, file.count, file.form.dataName), std::tuple(false, -1, "Kept"));
  EXPECT_EQ(file.messages.size(), 1u);
}

// A FIFO, a device or a directory is refused at once, naming it.
TEST_F(BatchFileTest, ANameThatIsNoRegularFileIsRefusedWithoutWaiting) {
  const testing::Fifo fifo(dir_.File("pipe.ebb"));
  const std::pair<std::string, std::string> cases[] = {{fifo.path(), "it is a FIFO"},
                                                       {"/dev/zero", "it is a device"},
                                                       {dir_.path(), "it is a directory"}};
  for (const auto& [path, reason] : cases) {
    BatchFile file;
    EXPECT_TRUE(testing::ReturnsWithoutWaiting(fifo, [&] { file = ReadBatchFile(path, form_); }));
    EXPECT_FALSE(file.opened);
    EXPECT_EQ(file.messages,
              std::vector<std::string>{"Cannot open the batch file " + path + ": " + reason});
  }
}

}  // namespace
}  // namespace corvane
