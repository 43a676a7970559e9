// Reading batch files: line rules, keywords and their carry-over, data
// records, refusals and the limits on both sides, on real files.
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
  // The line read between kRecord1 and kRecord3.
  BatchFile ReadBetween(const std::string& line) {
    return Read(kRecord1 + "\n" + line + "\n" + kRecord3 + "\n");
  }
  // Reading stopped at the line, keeping kRecord1, with one message that
  // shows the line: a record's alone, a keyword line's with its reason.
  void ExpectRefused(const std::string& line, const std::string& reason) {
    const BatchFile file = ReadBetween(line);
    EXPECT_EQ(file.count, 1);
    ASSERT_EQ(file.messages.size(), 1u);
    if (reason.empty()) {
      EXPECT_EQ(file.messages[0], "Invalid batch file record:\n" + line);
    } else {
      EXPECT_EQ(file.messages[0].rfind("Invalid batch file line:\n" + line + "\n", 0), 0u)
          << file.messages[0];
      EXPECT_NE(file.messages[0].find(reason), std::string::npos) << file.messages[0];
    }
  }

  TempDir dir_;
  BatchItem form_;
};

// Keywords carry over to later items only, and those after the last record
// reach the form only; LocalEggFile applies to its item only
// (ForceRemoteAccess 1 fetches remote data all the same); a keyword without
// its argument keeps the value, "SubgroupFile -" clears it, and
// "Resolution 1" goes back to 1. Comments, blank lines and lines of 9
// characters with their line end ("AudioOut") are skipped whatever they
// hold; a last line without a line end is read. Windows line ends read
// exactly like Unix ones.
TEST_F(BatchFileTest, RecordsBecomeItemsAndKeywordsCarryOverToLaterItemsOnly) {
  const std::string unix =
      "# a comment that names Quake9 2011-05-03 00:00:00 x\nAudioOut\n\n   \nabc 1 2\n"
      "DataDirectory /data/out\nSubgroupFile /data/europe.esg\nLocalEggFile /data/egg.csv\n#" +
      kRecord3 + "\n" + kRecord1 + "\n" + kRecord2 +
      "\nSmoothingWindowSize 600\nSubgroupFile\nResolution 2\n" + kRecord3 +
      "\nForceRemoteAccess 1\nLocalEggFile /data/b.csv\nSubgroupFile -\nResolution 1\n" + kRecord2 +
      "\nResolution 4";
  std::string windows;
  for (const char c : unix) windows += c == '\n' ? std::string("\r\n") : std::string(1, c);
  for (const std::string& text : {unix, windows}) {
    SCOPED_TRACE(text == unix ? "LF" : "CR LF");
    const BatchFile file = Read(text);
    ASSERT_TRUE(file.opened);
    EXPECT_TRUE(file.messages.empty()) << ::testing::PrintToString(file.messages);
    ASSERT_EQ(file.count, 4);
    const BatchItem& first = file.items[0];
    EXPECT_EQ(
        std::tie(first.dataName, first.startTime, first.stopTime, first.eventTime),
        std::tie("Quake1", "2011-05-03 00:00:00", "2011-05-03 23:59:59", "2011-05-03 14:30:00"));
    EXPECT_DOUBLE_EQ(first.eventDuration, 2.0);
    EXPECT_EQ(std::tie(file.items[1].eventTime, file.items[1].eventDuration), std::tuple("", 0.0));
    // Subgroup file, local egg file, remote, forced, window size, resolution.
    using Values = std::tuple<std::string, std::string, bool, bool, int, int>;
    const Values values[] = {{"/data/europe.esg", "/data/egg.csv", false, false, 900, 1},
                             {"/data/europe.esg", "", true, false, 900, 1},
                             {"/data/europe.esg", "", true, false, 600, 2},
                             {"", "/data/b.csv", true, true, 600, 1}};
    for (int i = 0; i < 4; ++i) {
      const BatchItem& item = file.items[i];
      EXPECT_EQ(item.outputRoot, "/data/out") << i;
      EXPECT_EQ(Values(item.eggGroupFile, item.localEggFile, item.remoteAccess,
                       item.forceRemoteAccess, item.smoothWindowSize, item.resolution),
                values[i])
          << i;
    }
    // The form holds the keyword values and the last record's texts.
    EXPECT_EQ(std::tie(file.form.smoothWindowSize, file.form.resolution, file.form.eggGroupFile,
                       file.form.localEggFile, file.form.startTime),
              std::tuple(600, 4, "", "", "2011-05-04 00:00:00"));
  }
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

// Both sides of each limit: the line at the limit is read between two
// records, one character more stops reading. The line lengths count the
// line end: 9 is skipped, 10 is read (here as a record too short to be
// one); a record needs 41.
TEST_F(BatchFileTest, EveryLimitIsReadAtItsValueAndRefusedOnePast) {
  const std::string dates = " 2011-05-03 00:00:00 2011-05-03 23:59:59";
  const std::string time = "00:00:00." + std::string(19, '0');  // 39 with its date
  const std::string two = std::string(255, '0') + "2";          // 256 characters
  const std::string path = "/" + std::string(198, 'p');         // 199 characters
  const std::string name = std::string(99, 'n');
  struct Limit {
    const char* what;
    std::string fits, over;
    const char* reason;  // "": refused as a record
    std::string (*value)(const BatchItem&);
    std::string want;  // value() of the item after the line that fits
  };
  const Limit limits[] = {
      {"a line of 9 or 10 characters", "abcdefgh", "abcdefghi", "",
       [](const BatchItem& i) { return i.dataName; }, "Quake3"},
      {"a record of 41 or 40 characters", "Quak 2011-05-03 00:00:00 2011-05-03 23:5",
       "Quak 2011-05-03 00:00:00 2011-05-03 23:", "", [](const BatchItem& i) { return i.stopTime; },
       "2011-05-03 23:5"},
      {"a data name of 99 or 100 characters", name + dates, name + "n" + dates, "",
       [](const BatchItem& i) { return i.dataName; }, name},
      {"a date and time of 39 or 40 characters", "Quake 2011-05-03 " + time + dates.substr(20),
       "Quake 2011-05-03 " + time + "0" + dates.substr(20), "",
       [](const BatchItem& i) { return i.startTime; }, "2011-05-03 " + time},
      {"an event duration of 256 or 257 characters", kRecord2 + " 2011-05-04 12:00:00 " + two,
       kRecord2 + " 2011-05-04 12:00:00 0" + two, "",
       [](const BatchItem& i) { return std::to_string(i.eventDuration); }, "2.000000"},
      {"a keyword's number of 256 or 257 characters", "Resolution " + two, "Resolution 0" + two,
       "A number in a batch file is at most 256 characters long.",
       [](const BatchItem& i) { return std::to_string(i.resolution); }, "2"},
      {"a resolution of 14000000 or 14000001", "Resolution 14000000", "Resolution 14000001",
       "resolution", [](const BatchItem& i) { return std::to_string(i.resolution); }, "14000000"},
      {"a coefficient of 256 or 257 characters", "ExpFilterCoeff 0." + std::string(253, '0') + "1",
       "ExpFilterCoeff 0.0" + std::string(253, '0') + "1",
       "A number in a batch file is at most 256 characters long.",
       [](const BatchItem& i) { return std::to_string(i.expCoeff * 1e254); }, "1.000000"},
      {"a path of 199 or 200 characters", "DataDirectory " + path, "DataDirectory /" + path,
       "Texts in batch files are at most 199 characters long.",
       [](const BatchItem& i) { return i.outputRoot; }, path},
  };
  for (const Limit& limit : limits) {
    SCOPED_TRACE(limit.what);
    const BatchFile fits = ReadBetween(limit.fits);
    EXPECT_TRUE(fits.messages.empty()) << fits.messages.at(0).substr(0, 100);
    ASSERT_GE(fits.count, 2);
    EXPECT_EQ(limit.value(fits.items[1]), limit.want);
    ExpectRefused(limit.over, limit.reason);
  }
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

TEST_F(BatchFileTest, BadRecordsAndValuesARunCannotUseStopReading) {
  const std::pair<std::string, const char*> refusals[] = {
      {"Quake May-03-2011 00:00:00 May-03-2011 23:59:59", ""},  // a date beginning with letters
      {kRecord2 + " 2011-05-04 12:00:00 2,5", ""},              // a duration that is no number
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
  for (const auto& [line, reason] : refusals) {
    SCOPED_TRACE(line);
    ExpectRefused(line, reason);
  }
  // A window size is checked for the filter that uses it.
  const BatchFile triangle =
      Read(std::string("SmoothingWindowSize 1\n") + kRecord1 + "\nSmoothingWindowType 2\n");
  EXPECT_EQ(triangle.count, 1);
  EXPECT_EQ(triangle.messages.size(), 1u);
  // A disabled DFT takes any size.
  EXPECT_TRUE(Read(std::string("DFTOutput 0 0\n") + kRecord1 + "\n").messages.empty());
}

TEST_F(BatchFileTest, AtMost5000ItemsAreRead) {
  std::string text;
  for (int i = 0; i < 5001; ++i) {
    text += "Item" + std::to_string(i) + " 2011-05-03 00:00:00 2011-05-03 23:59:59\n";
  }
  const BatchFile limited = Read(text);
  EXPECT_EQ(limited.count, 5000);
  EXPECT_EQ(limited.messages,
            std::vector<std::string>{"Only the first 5000 batch items will be processed"});
  EXPECT_EQ(limited.items.back().dataName, "Item4999");

  // Exactly 5000 items, then only comments and short lines: no message.
  text.erase(text.rfind("Item5000"));
  const BatchFile exact = Read(text + "# the end of the batch\n\n");
  EXPECT_EQ(exact.count, 5000);
  EXPECT_TRUE(exact.messages.empty());
}

// A missing file, a FIFO, a device or a directory is refused at once,
// naming it, and changes nothing.
TEST_F(BatchFileTest, ANameThatIsNoRegularFileIsRefusedWithoutWaiting) {
  form_.dataName = "Kept";
  const testing::Fifo fifo(dir_.File("pipe.ebb"));
  const std::pair<std::string, std::string> cases[] = {{dir_.File("missing.ebb"), ""},
                                                       {fifo.path(), "it is a FIFO"},
                                                       {"/dev/zero", "it is a device"},
                                                       {dir_.path(), "it is a directory"}};
  for (const auto& [path, reason] : cases) {
    BatchFile file;
    EXPECT_TRUE(testing::ReturnsWithoutWaiting(fifo, [&] { file = ReadBatchFile(path, form_); }));
    EXPECT_EQ(std::tie(file.opened, file.count, file.form.dataName), std::tuple(false, -1, "Kept"));
    EXPECT_EQ(file.messages, std::vector<std::string>{"Cannot open the batch file " + path +
                                                      (reason.empty() ? "" : ": " + reason)});
  }
}

}  // namespace
}  // namespace corvane
