#include "net/segment_download.h"

#include <sys/stat.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "core/date_time.h"
#include "core/progress_log.h"
#include "eggdata/egg_data_generator.h"
#include "eggdata/gzip_bytes.h"
#include "support/recording_link.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::RecordingLink;
using testing::TempDir;
using testing::WriteFile;

constexpr std::int64_t kMay3 = 1304380800;

// Sends the process-wide progress log to a file for one test.
class ProgressLogToFile {
 public:
  explicit ProgressLogToFile(const std::string& path)
      : was_on_(LogProgress()), old_path_(LogPath()) {
    SetLogPath(path);
    SetLogProgress(true);
  }
  ~ProgressLogToFile() {
    SetLogProgress(was_on_);
    SetLogPath(old_path_);
  }

 private:
  bool was_on_;
  std::string old_path_;
};

class SegmentDownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir_.File("root"));
    std::filesystem::create_directories(dir_.File("save"));
    context_.settings.dataName = "Quake";
    context_.settings.tempDirectory = dir_.File("tmp/");
    std::filesystem::create_directories(context_.settings.tempDirectory);
    context_.settings.rootDirectory = dir_.File("root/");
    segments_ = BuildDaySegments(kMay3 + 36000, kMay3 + 2 * 86400 + 3600);
  }

  std::string Download() const { return context_.settings.tempDirectory + "data.txt.gz"; }

  // Leaves compressed egg data of the segment's first minutes as the
  // download.
  std::string PutDay(int index, int records = 300, int eggs = 4) {
    eggdata::EggDataOptions options;
    options.start = SecondsOf(segments_[index].start);
    options.stop = options.start + records - 1;
    options.eggCount = eggs;
    const std::string text = eggdata::GenerateEggData(options);
    WriteFile(Download(), eggdata::GzipCompress(text).value());
    return text;
  }

  bool Finish(int index) {
    return FinishSegmentDownload(context_, index, segments_[index], files_);
  }

  TempDir dir_;
  RecordingLink link_;
  RunContext context_{&link_, &link_};
  std::vector<DaySegment> segments_;
  SegmentFileList files_ = SegmentFileList(3);
};

TEST_F(SegmentDownloadTest, WithoutSavingTheDaysAreInflatedIntoTheTemporaryDirectory) {
  ProgressLogToFile log(dir_.File("egg.log"));
  const std::string first = PutDay(0);
  ASSERT_TRUE(Finish(0));
  EXPECT_EQ(files_[0], context_.settings.tempDirectory + "data.csv");
  EXPECT_EQ(ReadFile(files_[0]), first);
  EXPECT_FALSE(FileExists(Download()));
  EXPECT_NE(ReadFile(dir_.File("egg.log")).find("Deleted temp file\n"), std::string::npos);

  // Text that cannot be written is reported with its place.
  PutDay(1);
  std::filesystem::remove_all(context_.settings.tempDirectory);
  std::filesystem::create_directories(context_.settings.tempDirectory);
  PutDay(1);
  std::filesystem::create_directories(context_.settings.tempDirectory + "data_2.csv/x");
  EXPECT_FALSE(Finish(1));
  EXPECT_EQ(link_.messageTexts(),
            std::vector<std::string>{"Quake: Could not write the data received for 2011-05-04 to " +
                                     context_.settings.tempDirectory + "data_2.csv"});
  context_.ClearAbort();

  const std::string third = PutDay(2);
  ASSERT_TRUE(Finish(2));
  EXPECT_EQ(files_[2], context_.settings.tempDirectory + "data_3.csv");
  EXPECT_EQ(ReadFile(files_[2]), third);
  EXPECT_TRUE(files_[1].empty());
  EXPECT_FALSE(context_.Aborted());
}

TEST_F(SegmentDownloadTest, SavedTextGoesToTheSaveDirectoryAndTheDownloadStays) {
  context_.settings.saveRemoteInput = true;
  context_.settings.remoteSaveDirectory = dir_.File("save/");
  const std::string second = PutDay(1);
  ASSERT_TRUE(Finish(1));
  EXPECT_EQ(files_[1], dir_.File("save/Quake_2.csv"));
  EXPECT_EQ(ReadFile(files_[1]), second);
  EXPECT_TRUE(FileExists(Download()));

  PutDay(0);
  context_.settings.remoteSaveDirectory.clear();
  ASSERT_TRUE(Finish(0));
  EXPECT_EQ(files_[0], dir_.File("root/Quake.csv"));
}

TEST_F(SegmentDownloadTest, KeptCompressedDownloadsAreMovedUnderTheRunsName) {
  ProgressLogToFile log(dir_.File("egg.log"));
  context_.settings.saveRemoteInput = true;
  context_.settings.saveCompressed = true;
  context_.settings.remoteSaveDirectory = dir_.File("save/");
  PutDay(0);
  const std::string bytes = ReadFile(Download());
  WriteFile(dir_.File("save/Quake.gz"), "an older run");
  ASSERT_TRUE(Finish(0));
  EXPECT_EQ(files_[0], dir_.File("save/Quake.gz"));
  EXPECT_EQ(ReadFile(files_[0]), bytes);
  EXPECT_FALSE(FileExists(Download()));
  EXPECT_NE(ReadFile(dir_.File("egg.log")).find("Compressed data file moved\n"), std::string::npos);

  PutDay(2);
  context_.settings.remoteSaveDirectory.clear();
  ASSERT_TRUE(Finish(2));
  EXPECT_EQ(files_[2], dir_.File("root/Quake_3.gz"));
  EXPECT_TRUE(FileExists(files_[2]));
}

TEST_F(SegmentDownloadTest, AMoveThatFailsEndsTheRun) {
  ProgressLogToFile log(dir_.File("egg.log"));
  context_.settings.saveRemoteInput = true;
  context_.settings.saveCompressed = true;
  context_.settings.remoteSaveDirectory = dir_.File("gone/");
  PutDay(0);
  EXPECT_FALSE(Finish(0));
  EXPECT_TRUE(context_.Aborted());
  EXPECT_TRUE(files_[0].empty());
  ASSERT_EQ(link_.messageTexts().size(), 1u);
  EXPECT_EQ(link_.messageTexts()[0], "Quake: Compressed data file not moved from " + Download() +
                                         " to " + dir_.File("gone/Quake.gz"));
  EXPECT_NE(ReadFile(dir_.File("egg.log")).find("Compressed data file not moved\n"),
            std::string::npos);
  EXPECT_TRUE(FileExists(Download()));
}

TEST_F(SegmentDownloadTest, AMessagePageOrAnEmptyDayEndsTheRunNamingTheDay) {
  ProgressLogToFile log(dir_.File("egg.log"));
  const std::string page =
      "\n\n<html>\n<body>No egg data are available for 2011-05-04.</body>\n</html>\n";
  for (const bool keep : {false, true}) {
    for (const std::string& text : {page, std::string()}) {
      RecordingLink link;
      RunContext context(&link, &link);
      context.settings = context_.settings;
      context.settings.saveRemoteInput = keep;
      context.settings.saveCompressed = keep;
      WriteFile(Download(), eggdata::GzipCompress(text).value());
      SegmentFileList files(3);
      EXPECT_FALSE(FinishSegmentDownload(context, 1, segments_[1], files));
      EXPECT_TRUE(context.Aborted());
      EXPECT_EQ(link.messageTexts(),
                std::vector<std::string>{"Quake: No data received for 2011-05-04"});
      EXPECT_EQ(files, SegmentFileList(3));
    }
  }
  EXPECT_FALSE(FileExists(dir_.File("root/Quake_2.gz")));
  EXPECT_FALSE(FileExists(context_.settings.tempDirectory + "data_2.csv"));
  EXPECT_NE(
      ReadFile(dir_.File("egg.log")).find("Received message instead of data from remote server\n"),
      std::string::npos);

  // A page in capitals, or one that starts with a document type, is data.
  WriteFile(Download(), eggdata::GzipCompress("<HTML>\nhello\n").value());
  EXPECT_TRUE(Finish(1));
}

TEST_F(SegmentDownloadTest, DamagedDownloadsEndTheRunAndInBatchModeOnlyTheSummaryHearsOfIt) {
  context_.settings.batchMode = true;
  PutDay(0);
  std::string bytes = ReadFile(Download());
  WriteFile(Download(), bytes.substr(0, bytes.size() / 2));
  EXPECT_FALSE(Finish(0));
  EXPECT_TRUE(context_.Aborted());
  EXPECT_TRUE(link_.messages().empty());
  EXPECT_EQ(ReadFile(dir_.File("root/summary.tst")),
            "Quake: Damaged data received for 2011-05-03\n");
  EXPECT_TRUE(files_[0].empty());

  // Kept compressed, a download damaged far behind its beginning is caught
  // before it is kept.
  context_.ClearAbort();
  context_.settings.saveRemoteInput = true;
  context_.settings.saveCompressed = true;
  ASSERT_GT(PutDay(0, 3000, 10).size(), 200000u);
  bytes = ReadFile(Download());
  bytes[bytes.size() - 100] ^= 0x55;
  WriteFile(Download(), bytes);
  EXPECT_FALSE(Finish(0));
  EXPECT_FALSE(FileExists(dir_.File("root/Quake.gz")));

  // Inflated, such a download is refused as well.
  context_.settings.saveCompressed = false;
  WriteFile(Download(), bytes);
  EXPECT_FALSE(Finish(0));
  EXPECT_FALSE(FileExists(dir_.File("root/Quake.csv")));
  EXPECT_TRUE(files_[0].empty());
  context_.settings.saveCompressed = true;

  WriteFile(Download(), "plain text, not gzip");
  EXPECT_FALSE(Finish(0));
  std::remove(Download().c_str());
  EXPECT_FALSE(Finish(0));
  EXPECT_EQ(ReadFile(dir_.File("root/summary.tst")),
            "Quake: Damaged data received for 2011-05-03\n"
            "Quake: Damaged data received for 2011-05-03\n"
            "Quake: Damaged data received for 2011-05-03\n"
            "Quake: Damaged data received for 2011-05-03\n"
            "Quake: Damaged data received for 2011-05-03\n");
}

}  // namespace
}  // namespace corvane
