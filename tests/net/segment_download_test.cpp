// FinishSegmentDownload: a day's download kept compressed, kept inflated or
// inflated into the temporary directory, and the days that end a run.
#include "net/segment_download.h"

#include <sys/stat.h>

#include <filesystem>
#include <optional>

#include <gtest/gtest.h>

#include "core/date_time.h"
#include "eggdata/egg_data_generator.h"
#include "eggdata/gzip_bytes.h"
#include "input/line_reader.h"
#include "support/recording_link.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::WriteFile;

// A run of three day segments from 2011-05-03 10:00:00 whose downloads the
// test puts in place.
struct SegmentRun {
  SegmentRun() {
    for (const char* sub : {"root", "save", "tmp"})
      std::filesystem::create_directories(dir.File(sub));
    context.settings.dataName = "Quake";
    context.settings.tempDirectory = dir.File("tmp/");
    context.settings.rootDirectory = dir.File("root/");
  }
  void Keep(bool compressed, const std::string& directory) {
    context.settings.saveRemoteInput = true;
    context.settings.saveCompressed = compressed;
    context.settings.remoteSaveDirectory = directory;
  }
  // Leaves day `index`'s first `records` seconds, compressed, as the
  // download; returns the text.
  std::string PutDay(int index, int records = 300) {
    options = eggdata::EggDataOptions();
    options.start = SecondsOf(segments[index].start);
    options.stop = options.start + records - 1;
    options.eggCount = 10;
    options.missingFraction = 0.05;
    const std::string text = eggdata::GenerateEggData(options);
    WriteFile(download, eggdata::GzipCompress(text).value());
    return text;
  }
  // The day's parsed data, or nullptr.
  std::shared_ptr<const ParsedEggFile> Finish(int index) {
    return FinishSegmentDownload(context, index, segments[index], files, download);
  }

  testing::TempDir dir;
  eggdata::EggDataOptions options;  // of the last day put in place
  std::string download = dir.File("tmp/data.txt.gz");
  testing::RecordingLink link;
  RunContext context{&link, &link};
  std::vector<DaySegment> segments =
      BuildDaySegments(1304380800 + 36000, 1304380800 + 2 * 86400 + 3600);
  SegmentFileList files = SegmentFileList(3);
};

TEST(SegmentDownloadTest, EachDayIsParsedAndKeptUnderItsNameOnlyWhenTheRunKeepsIt) {
  const struct {
    bool keep, compressed;
    const char* saveDirectory;
    int index;
    const char* file;  // "": nothing is kept
  } cases[] = {{false, false, "", 0, ""},
               {false, false, "", 2, ""},
               {true, false, "save/", 1, "save/Quake_2.csv"},
               {true, false, "", 0, "root/Quake.csv"},
               {true, true, "save/", 0, "save/Quake.gz"},
               {true, true, "", 2, "root/Quake_3.gz"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    SegmentRun run;
    if (c.keep) run.Keep(c.compressed, *c.saveDirectory ? run.dir.File(c.saveDirectory) : "");
    const std::string older = run.dir.File(*c.file ? c.file : "tmp/data.csv");
    WriteFile(older, "an older run");
    // A text kept as it is inflated spans several of the reader's blocks.
    const int records = c.keep && !c.compressed ? 20000 : 300;
    const std::string text = run.PutDay(c.index, records);
    const std::string bytes = ReadFile(run.download);
    const auto day = run.Finish(c.index);
    ASSERT_NE(day, nullptr);
    // The day as the data generator made it, second by second.
    ASSERT_EQ(day->RecordCount(), records);
    ASSERT_EQ(day->header.eggCount, 10);
    int wrong = 0;
    for (std::int64_t r = 0; r < records; ++r) {
      const std::int64_t second = run.options.start + r;
      wrong += day->times[r] != second;
      for (int k = 0; k < 10; ++k) {
        const int id = day->header.eggIds[k];
        wrong += day->Trials(r)[k] != eggdata::EggTrialValue(run.options, id, second).value_or(0);
      }
    }
    EXPECT_EQ(wrong, 0);
    if (*c.file) {
      EXPECT_EQ(run.files[c.index], run.dir.File(c.file));
      if (records > 300) {
        EXPECT_GT(text.size(), LineReader::kBlockSize);
      }
      EXPECT_TRUE(ReadFile(run.files[c.index]) == (c.compressed ? bytes : text));
    } else {
      // Read as it was inflated: nothing written, the older file untouched.
      EXPECT_EQ(run.files, SegmentFileList(3));
      EXPECT_EQ(ReadFile(older), "an older run");
    }
    // The download has become the day's file, or is gone.
    EXPECT_FALSE(FileExists(run.download));
    EXPECT_EQ(run.link.messageTexts(), std::vector<std::string>{});
  }
}

TEST(SegmentDownloadTest, AKeptDownloadMovesAcrossFileSystems) {
  SegmentRun run;
  struct stat shm {
  }, temp{};
  if (::stat("/dev/shm", &shm) != 0 || ::stat(run.dir.path().c_str(), &temp) != 0 ||
      shm.st_dev == temp.st_dev) {
    GTEST_SKIP() << "no second file system at /dev/shm";
  }
  std::string save = "/dev/shm/corvane-save-XXXXXX";
  ASSERT_NE(::mkdtemp(save.data()), nullptr);
  run.Keep(true, save + "/");
  run.PutDay(1);
  const std::string bytes = ReadFile(run.download);
  const bool finished = run.Finish(1) != nullptr;
  const std::string kept = ReadFile(save + "/Quake_2.gz");
  std::filesystem::remove_all(save);
  EXPECT_TRUE(finished);
  EXPECT_EQ(kept, bytes);
  EXPECT_FALSE(FileExists(run.download));
}

TEST(SegmentDownloadTest, ADayThatCannotBeReadOrKeptEndsTheRunNamingIt) {
  const std::string page = "\n\n<html>\n<body>No egg data for 2011-05-04.</body>\n</html>\n";
  SegmentRun maker;
  maker.PutDay(1);
  const std::string day = ReadFile(maker.download);
  maker.PutDay(1, 3000);
  std::string damaged = ReadFile(maker.download);  // far behind its beginning
  damaged[damaged.size() - 100] ^= 0x55;
  const std::string long_line = *eggdata::GzipCompress(
      "Samples per record: 200\n" + std::string(LineReader::kMaxLineLength + 1, '1') + "\n");
  const struct {
    const char* what;
    std::optional<std::string> download;  // nullopt: none
    const char* keepIn;                   // nullptr: not kept; "": in the root
    std::string message;
  } cases[] = {
      {"message page", *eggdata::GzipCompress(page), nullptr, "No data received for 2011-05-04"},
      {"plain message page", page, nullptr, "No data received for 2011-05-04"},
      {"plain page, kept", page, "", "No data received for 2011-05-04"},
      {"plain text", "\n<html>x</html>\n", nullptr, "Damaged data received for 2011-05-04"},
      {"empty stream", *eggdata::GzipCompress(""), nullptr, "No data received for 2011-05-04"},
      {"truncated", day.substr(0, day.size() / 2), nullptr, "Damaged data received for 2011-05-04"},
      {"damaged, kept", damaged, "", "Damaged data received for 2011-05-04"},
      {"not gzip", "plain text", nullptr, "Damaged data received for 2011-05-04"},
      {"line too long", long_line, nullptr,
       "Data received for 2011-05-04 refused: %stmp/data.txt.gz is not a proper data file for "
       "analysis: line 2 is longer than 65536 bytes"},
      {"missing", std::nullopt, nullptr, "Damaged data received for 2011-05-04"},
      {"text not writable", day, "",
       "Data received for 2011-05-04 refused: Failed to write %sroot/Quake_2.csv: Is a directory"},
      {"move failed", day, "gone/",
       "Compressed data file not moved from %stmp/data.txt.gz to %sgone/Quake_2.gz (cannot "
       "rename %stmp/data.txt.gz to %sgone/Quake_2.gz: No such file or directory)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SegmentRun run;
    if (c.download) WriteFile(run.download, *c.download);
    const bool inflated = std::string(c.what) == "text not writable";
    if (c.keepIn) run.Keep(!inflated, *c.keepIn ? run.dir.File(c.keepIn) : "");
    if (inflated) std::filesystem::create_directories(run.dir.File("root/Quake_2.csv/x"));
    EXPECT_EQ(run.Finish(1), nullptr);
    EXPECT_TRUE(run.context.Aborted());
    EXPECT_EQ(run.files, SegmentFileList(3));
    std::string message = "Quake: " + c.message;
    for (size_t at; (at = message.find("%s")) != std::string::npos;)
      message.replace(at, 2, run.dir.path());
    EXPECT_EQ(run.link.messageTexts(), std::vector{message});
    EXPECT_FALSE(FileExists(run.dir.File("root/Quake_2.gz")));
    EXPECT_FALSE(FileExists(run.dir.File("root/Quake_2.csv")) &&
                 !std::filesystem::is_directory(run.dir.File("root/Quake_2.csv")));
    EXPECT_FALSE(FileExists(run.download));
    // Nothing but the day's download ever lay in the temporary directory.
    EXPECT_TRUE(std::filesystem::is_empty(run.dir.File("tmp")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(run.dir.File("root")), {}),
              inflated ? 1 : 0);
  }
}

}  // namespace
}  // namespace corvane
