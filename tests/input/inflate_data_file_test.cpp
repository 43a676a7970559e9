#include "input/inflate_data_file.h"

#include <sys/stat.h>

#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "eggdata/gzip_bytes.h"
#include "input/gz_file.h"
#include "input_fixture.h"

namespace corvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string Gzip(const std::string& text) { return *eggdata::GzipCompress(text); }

// Names in a directory, sorted.
std::vector<std::string> Listing(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

unsigned Permissions(const std::string& path) {
  struct stat info {};
  stat(path.c_str(), &info);
  return info.st_mode & 07777;
}

class GzFileTest : public InputTest {};

TEST_F(GzFileTest, ReadsTheWholeStream) {
  const auto options = Options(5, kDay, 3000);
  const std::string text = eggdata::GenerateEggData(options);
  Write("a.gz", options, true);
  GzFile gz;
  ASSERT_TRUE(gz.OpenForReading(dir.File("a.gz")));
  EXPECT_EQ(gz.mode(), GzFile::kReading);
  const std::int64_t length = static_cast<std::int64_t>(ReadFile(dir.File("a.gz")).size());
  EXPECT_EQ(gz.compressedLength(), length);
  EXPECT_LT(length, static_cast<std::int64_t>(text.size()) / 2);
  std::string out;
  ASSERT_TRUE(gz.ReadAllAsText(out));
  EXPECT_EQ(out, text);
  EXPECT_TRUE(gz.Close());
  EXPECT_EQ(gz.mode(), GzFile::kClosed);
  EXPECT_FALSE(gz.Close());
}

TEST_F(GzFileTest, RefusesWhatIsNotGzipData) {
  GzFile gz;
  EXPECT_FALSE(gz.OpenForReading(dir.File("missing.gz")));
  EXPECT_FALSE(gz.OpenForReading(dir.path()));
  WriteFile(dir.File("plain.gz"), "1,Samples per record\n");
  EXPECT_FALSE(gz.OpenForReading(dir.File("plain.gz")));
  EXPECT_EQ(gz.mode(), GzFile::kClosed);
  std::string out = "old";
  EXPECT_FALSE(gz.ReadAllAsText(out));
  EXPECT_EQ(out, "");
}

TEST_F(GzFileTest, DamagedStreamsFailWithoutText) {
  const std::string gz_bytes = Gzip(std::string(100000, 'x') + "tail");
  std::string flipped = gz_bytes;
  flipped[flipped.size() - 6] ^= 0x55;  // the CRC no longer matches
  for (const std::string& bytes : {gz_bytes.substr(0, gz_bytes.size() - 10), flipped}) {
    WriteFile(dir.File("bad.gz"), bytes);
    GzFile gz;
    ASSERT_TRUE(gz.OpenForReading(dir.File("bad.gz")));
    std::string out;
    EXPECT_FALSE(gz.ReadAllAsText(out));
    EXPECT_EQ(out, "");
    EXPECT_FALSE(gz.Close());
  }
}

TEST_F(GzFileTest, EmptyStreamsGiveNoText) {
  for (const std::string& bytes : {std::string(), Gzip("")}) {
    WriteFile(dir.File("empty.gz"), bytes);
    GzFile gz;
    ASSERT_TRUE(gz.OpenForReading(dir.File("empty.gz")));
    std::string out;
    EXPECT_FALSE(gz.ReadAllAsText(out));
  }
}

class InflateTest : public InputTest {
 protected:
  std::string Log() const { return log.Text(); }

  LogCapture log{dir.File("egg.log")};
  SegmentFileList files = {"", "", ""};
};

TEST_F(InflateTest, WritesTheTextUnderTheTemporaryNames) {
  const std::string day1 = eggdata::GenerateEggData(Options(3, kDay, 100));
  const std::string day3 = eggdata::GenerateEggData(Options(3, kDay + 2 * 86400, 100));
  WriteFile(dir.File("q.gz"), Gzip(day1));
  WriteFile(dir.File("q_3.gz"), Gzip(day3));
  ASSERT_TRUE(InflateDataFile(context, dir.File("q.gz"), 0, files));
  ASSERT_TRUE(InflateDataFile(context, dir.File("q_3.gz"), 2, files));
  EXPECT_THAT(files, ElementsAre(dir.File("tmp/data.csv"), "", dir.File("tmp/data_3.csv")));
  EXPECT_EQ(ReadFile(files[0]), day1);
  EXPECT_EQ(ReadFile(files[2]), day3);
  EXPECT_THAT(Listing(dir.File("tmp")), ElementsAre("data.csv", "data_3.csv"));
  EXPECT_THAT(link.statuses(), ElementsAre("Uncompressing data file", "Uncompressing data file"));
  const std::string steps =
      "Opened compressed file\nInflated data\nUncompressed data written to file\n"
      "Zip file closing success\n";
  EXPECT_EQ(Log(), steps + steps);
}

TEST_F(InflateTest, SavedRemoteInputGoesToTheSaveDirectoryOrTheRoot) {
  context.settings.saveRemoteInput = true;
  EXPECT_EQ(InflatedFileName(context.settings, 0), dir.File("root/Quake.csv"));
  EXPECT_EQ(InflatedFileName(context.settings, 2), dir.File("root/Quake_3.csv"));
  context.settings.remoteSaveDirectory = dir.File("save/");
  Mkdir(dir.File("save"));
  WriteFile(dir.File("d.gz"), Gzip("1,Samples per record\n"));
  ASSERT_TRUE(InflateDataFile(context, dir.File("d.gz"), 1, files));
  EXPECT_EQ(files[1], dir.File("save/Quake_2.csv"));
  EXPECT_EQ(ReadFile(files[1]), "1,Samples per record\n");
  // A kept data file gets the permissions of any file the user makes there.
  WriteFile(dir.File("save/plain.csv"), "x");
  EXPECT_EQ(Permissions(files[1]), Permissions(dir.File("save/plain.csv")));
}

TEST_F(InflateTest, MessagePageIsRecognisedByItsFirstWord) {
  WriteFile(dir.File("m.gz"), Gzip("\n\n  <html>\n<body>No data for that day</body></html>\n"));
  EXPECT_FALSE(InflateDataFile(context, dir.File("m.gz"), 0, files));
  EXPECT_EQ(files[0], "");
  ASSERT_EQ(link.messages().size(), 1u);
  EXPECT_EQ(link.messages()[0].text, "Quake: Failed to receive data from server");
  EXPECT_EQ(link.messages()[0].caption, std::nullopt);
  EXPECT_THAT(Log(), ::testing::HasSubstr("Received message instead of data from remote server\n"));
  EXPECT_THAT(Listing(dir.File("tmp")), IsEmpty());

  // Other pages are not message pages: they are written as they are.
  for (const std::string page : {"<HTML>\nx", "<!DOCTYPE html>\n<html>", "<html><body>"}) {
    WriteFile(dir.File("p.gz"), Gzip(page));
    EXPECT_TRUE(InflateDataFile(context, dir.File("p.gz"), 0, files)) << page;
    EXPECT_EQ(ReadFile(files[0]), page);
  }
  EXPECT_EQ(link.messages().size(), 1u);
}

TEST_F(InflateTest, MessagePageInBatchModeIsOnlyLogged) {
  context.settings.batchMode = true;
  WriteFile(dir.File("m.gz"), Gzip("<html> no data"));
  EXPECT_FALSE(InflateDataFile(context, dir.File("m.gz"), 0, files));
  EXPECT_THAT(link.messages(), IsEmpty());
  EXPECT_FALSE(FileExists(context.SummaryPath()));
  EXPECT_THAT(Log(), ::testing::HasSubstr("Received message instead of data from remote server\n"));
}

TEST_F(InflateTest, FailuresLeaveTheEntryAndNoFileBehind) {
  files[1] = "previous";
  const std::string gz_bytes = Gzip(eggdata::GenerateEggData(Options(3, kDay, 2000)));
  const std::vector<std::string> bad = {
      gz_bytes.substr(0, gz_bytes.size() / 2),  // truncated
      Gzip(""),                                 // a valid stream with no bytes
      "",                                       // an empty file
      "plain text, not gzip",
  };
  for (const std::string& bytes : bad) {
    WriteFile(dir.File("bad.gz"), bytes);
    EXPECT_FALSE(InflateDataFile(context, dir.File("bad.gz"), 1, files));
    EXPECT_EQ(files[1], "previous");
    EXPECT_THAT(Listing(dir.File("tmp")), IsEmpty());
  }
  EXPECT_FALSE(InflateDataFile(context, dir.File("absent.gz"), 1, files));
  EXPECT_EQ(files[1], "previous");
  EXPECT_THAT(link.messages(), IsEmpty());
}

TEST_F(InflateTest, OutputThatCannotBeWrittenIsAFailure) {
  context.settings.tempDirectory = dir.File("no/such/dir/");
  WriteFile(dir.File("d.gz"), Gzip("1,Samples per record\n"));
  EXPECT_FALSE(InflateDataFile(context, dir.File("d.gz"), 0, files));
  EXPECT_EQ(files[0], "");
}

TEST_F(InflateTest, ExistingOutputIsReplacedAndTheListGrows) {
  WriteFile(dir.File("tmp/data_5.csv"), "stale");
  WriteFile(dir.File("d.gz"), Gzip("fresh"));
  SegmentFileList short_list;
  ASSERT_TRUE(InflateDataFile(context, dir.File("d.gz"), 4, short_list));
  ASSERT_EQ(short_list.size(), 5u);
  EXPECT_EQ(ReadFile(short_list[4]), "fresh");
}

}  // namespace
}  // namespace corvane::testing
