// The bounds of the input readers, each just inside (accepted) and just
// beyond (refused with a message naming the file, nothing left behind):
// line length, header numbers, value fields, inflated size, a full
// temporary directory, and names that are not regular files.
#include <sys/mount.h>

#include <filesystem>
#include <limits>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/c_format.h"
#include "core/paths.h"
#include "eggdata/gzip_bytes.h"
#include "input/gz_file.h"
#include "input/inflate_data_file.h"
#include "input/line_reader.h"
#include "input/local_staging.h"
#include "input_fixture.h"
#include "support/fifo.h"

namespace corvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr size_t kMaxLine = LineReader::kMaxLineLength;

// A header for `eggs` eggs (ids 1..eggs) with the given header numbers, then
// one record per value text from kDay on.
std::string Header(long long eggs, const std::string& records, const std::string& trialSize) {
  std::string ids;
  for (long long k = 1; k <= eggs; ++k) ids += (k > 1 ? "," : "") + std::to_string(k);
  return "1,Samples per record\n10,4," + trialSize + "\n11,1," + std::to_string(eggs) + "\n11,4," +
         records + "\n12,,," + ids + "\n";
}
std::string Record(int second, const std::string& values) {
  return "13," + std::to_string(kDay + second) + ",t," + values + "\n";
}

using BoundsTest = InputTest;

// Record lines and header lines of exactly the limit are read (a carriage
// return before the line feed is not part of the line); one byte more is
// refused with the line's number.
TEST_F(BoundsTest, LinesUpToTheLimitAreReadAndALongerOneRefusesTheFile) {
  const auto refused = [](const std::string& path, int line) {
    return "Quake: " + path + " is not a proper data file for analysis: line " +
           std::to_string(line) + " is longer than 65536 bytes";
  };
  const std::string record = Record(0, "100,101,");
  const std::string first = "1,Samples per record,";
  for (const size_t extra : {size_t{0}, size_t{1}}) {
    SCOPED_TRACE(extra);
    const std::string long_record = record.substr(0, record.size() - 1) +
                                    std::string(kMaxLine + extra - (record.size() - 1), 'x');
    const std::string text = Header(2, "2", "200") + long_record + "\r\n" + Record(1, "102,103");
    const std::string path = Hand("long.csv", text);
    std::vector<std::string> expected;
    if (extra > 0) expected.push_back(refused(path, 6));
    EXPECT_EQ(Read({path}), expected);
    EXPECT_EQ(run->context.Aborted(), extra > 0);
    if (extra == 0) {
      EXPECT_EQ(table.columns[0].samples, (std::vector<std::int32_t>{100, 102}));
      EXPECT_EQ(table.columns[1].samples, (std::vector<std::int32_t>{101, 103}));
    }
    // The first (header) line, and an appended file's line.
    const std::string header_text = Header(2, "1", "200");
    const std::string long_first =
        first + std::string(kMaxLine + extra - first.size(), 'y') + header_text.substr(20);
    const std::string first_path = Hand("first.csv", long_first + Record(0, "100,101"));
    EXPECT_EQ(Read({first_path}),
              extra == 0 ? std::vector<std::string>{} : std::vector{refused(first_path, 1)});
    const std::string good = Hand("good.csv", Header(2, "1", "200") + Record(0, "100,101"));
    EXPECT_EQ(Read({good, path}), expected);
  }
  // The line reader itself, with and without a last line feed.
  for (const std::string end : {"", "\r", "\n", "\r\n"}) {
    for (const size_t length : {kMaxLine, kMaxLine + 1}) {
      WriteFile(dir.File("line.txt"), "a\n" + std::string(length, 'z') + end);
      LineReader reader;
      ASSERT_TRUE(reader.Open(dir.File("line.txt")));
      std::string_view line;
      EXPECT_TRUE(reader.NextLine(line));
      EXPECT_EQ(reader.NextLine(line), length == kMaxLine);
      EXPECT_EQ(reader.TooLong(), length > kMaxLine);
      EXPECT_EQ(line.size(), length == kMaxLine ? kMaxLine : 1u);
      EXPECT_FALSE(reader.NextLine(line));
    }
  }
}

// Header numbers are checked against their ranges before any arithmetic:
// 200 eggs but not 201, a record count that fits 32 bits, and a trial size
// whose product with the resolution fits 32 bits. Value fields never wrap
// into the valid band.
TEST_F(BoundsTest, HeaderNumbersAndValuesAreRangeChecked) {
  const struct {
    long long eggs;
    std::string records, trialSize;
    int resolution;
    bool accepted;
  } cases[] = {
      {200, "1", "200", 1, true},
      {201, "1", "200", 1, false},
      {2, "2147483647", "200", 1, true},
      {2, "2147483648", "200", 1, false},
      {2, "99999999999999999999999", "200", 1, false},
      {2, "1", "2147483647", 1, true},
      {2, "1", "2147483648", 1, false},
      {2, "1", "1073741823", 2, true},
      {2, "1", "1073741824", 2, false},
      {2, "1", "9223372036854775807", 3, false},
      {2, "1", "99999999999999999999999", 14000000, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.eggs) + " " + c.records + " " + c.trialSize);
    context.settings.resolution = c.resolution;
    const std::string path =
        Hand("header.csv", Header(c.eggs, c.records, c.trialSize) + Record(0, "100,101"));
    const std::vector<std::string> messages = Read({path});
    EXPECT_EQ(run->context.Aborted(), !c.accepted);
    if (c.accepted) {
      EXPECT_EQ(table.eggCount, c.eggs);
      EXPECT_EQ(table.sampleCount, 1);
      EXPECT_EQ(table.trialSize, std::stoll(c.trialSize) * c.resolution);
    } else {
      const std::string why =
          c.eggs > 200 ? ": it holds 201 eggs, more than the 200 a run can take" : "";
      EXPECT_THAT(messages,
                  ElementsAre("Quake: " + path + " is not a proper data file for analysis" + why));
    }
  }

  context.settings.resolution = 1;
  const std::vector<std::string> values = {"4294967396",  "18446744073709551716",
                                           "-4294967196", "0000000000000000100",
                                           "145",         "146",
                                           " 55",         "54",
                                           "100.9",       "1e2"};
  std::string line;
  for (const std::string& value : values) line += (line.empty() ? "" : ",") + value;
  Read({Hand("values.csv", Header(10, "1", "200") + Record(0, line))});
  const std::int32_t m = kMissingSample;
  const std::vector<std::int32_t> expected = {m, m, m, 100, 145, m, 55, m, 100, m};
  for (int k = 0; k < 10; ++k) EXPECT_EQ(Sample(k, 0), expected[k]) << values[k];
}

// A compressed local file whose text would pass a bound is refused while it
// is inflated: nothing is left in the temporary directory.
TEST_F(BoundsTest, InflationStopsAtTheSizeAndLineBounds) {
  // A stream of gzip members, each one compressed block; zlib reads them as
  // one text. 1024 blocks of 1 MiB make exactly the limit.
  const std::string line = std::string(99, 'v') + "\n";
  std::string block;
  while (block.size() < (size_t{1} << 20)) block += line;
  block.resize(size_t{1} << 20);
  block.back() = '\n';
  const std::string member = *eggdata::GzipCompress(block, 9);
  std::string gz;
  for (int i = 0; i < 1024; ++i) gz += member;
  static_assert(kMaxInflatedBytes == std::int64_t{1} << 30);

  context.settings.localEggFile = dir.File("quake.gz");
  int count = 0;
  WriteFile(context.settings.localEggFile, gz);
  ASSERT_TRUE(ProcessLocalFiles(context, 1, files, count));
  EXPECT_EQ(std::filesystem::file_size(dir.File("tmp/data.csv")), std::uintmax_t{1} << 30);
  std::filesystem::remove(dir.File("tmp/data.csv"));

  WriteFile(context.settings.localEggFile, gz + *eggdata::GzipCompress("\n"));
  SideRun over(context.settings);
  EXPECT_FALSE(ProcessLocalFiles(over.context, 1, files, count));
  EXPECT_TRUE(over.context.Aborted());
  EXPECT_THAT(over.link.messageTexts(),
              ElementsAre("Quake: " + context.settings.localEggFile +
                          " is too large: its data exceed 1073741824 bytes when inflated"));
  EXPECT_TRUE(std::filesystem::is_empty(dir.File("tmp")));

  // One line of the limit inflates; one byte more stops the inflation: a
  // line ended by LF or CR LF, and the last line without a line feed.
  for (const std::string end : {"\n", "\r\n", ""}) {
    for (const size_t length : {kMaxLine, kMaxLine + 1}) {
      SCOPED_TRACE(std::to_string(length) + " " + std::to_string(end.size()));
      const std::string text =
          "a\r\nb\n" + std::string(length, 'w') + (end.empty() ? "" : end + "c");
      WriteFile(context.settings.localEggFile, *eggdata::GzipCompress(text));
      SideRun staged(context.settings);
      EXPECT_EQ(ProcessLocalFiles(staged.context, 1, files, count), length == kMaxLine);
      if (length == kMaxLine) {
        EXPECT_THAT(staged.link.messageTexts(), IsEmpty());
        EXPECT_EQ(ReadFile(dir.File("tmp/data.csv")), text);
        std::filesystem::remove(dir.File("tmp/data.csv"));
      } else {
        EXPECT_THAT(staged.link.messageTexts(),
                    ElementsAre("Quake: " + context.settings.localEggFile +
                                " is not a proper data file for analysis: line 3 is longer than "
                                "65536 bytes"));
      }
      EXPECT_TRUE(std::filesystem::is_empty(dir.File("tmp")));
    }
  }
}

// A tmpfs of 64 KiB as the temporary directory: the inflated text does not
// fit, the run ends naming the system's reason and the file, and the partial
// text is gone. Mounting needs root; elsewhere the test says why it skips.
TEST_F(BoundsTest, AFullTemporaryDirectoryIsReportedAndLeavesNothing) {
  const std::string full = dir.File("full");
  std::filesystem::create_directory(full);
  if (mount("tmpfs", full.c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "mounting a tmpfs needs root: the full-disk case is not tested here";
  }
  struct Unmount {
    std::string path;
    ~Unmount() { umount2(path.c_str(), MNT_DETACH); }
  } unmount{full};
  context.settings.tempDirectory = full + "/";
  context.settings.localEggFile = Write("quake.gz", Options(20, kDay, 3000), true);
  int count = 0;
  EXPECT_FALSE(ProcessLocalFiles(context, 1, files, count));
  EXPECT_TRUE(context.Aborted());
  EXPECT_THAT(link.messageTexts(),
              ElementsAre("Quake: Failed to write " + full + "/data.csv: No space left on device"));
  EXPECT_TRUE(std::filesystem::is_empty(full));
}

// FIFOs, directories and devices as egg data files, plain or compressed, are
// refused at once, naming them; a FIFO is never waited on.
TEST_F(BoundsTest, EggFilesThatAreNotRegularFilesAreRefusedWithoutWaiting) {
  const Fifo plain(dir.File("pipe.csv"));
  const Fifo compressed(dir.File("pipe.gz"));
  const struct {
    const Fifo& fifo;
    std::string path, reason;
  } cases[] = {
      {plain, plain.path(), "it is a FIFO"},    {compressed, compressed.path(), "it is a FIFO"},
      {plain, dir.path(), "it is a directory"}, {plain, "/dev/zero", "it is a device"},
      {plain, dir.File("none.gz"), ""},         {plain, dir.File("none.csv"), ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const std::string message = "Quake: Unable to open " + c.path + " for input" +
                                (c.reason.empty() ? "" : ": " + c.reason);
    std::vector<std::string> messages;
    EXPECT_TRUE(ReturnsWithoutWaiting(c.fifo, [&] { messages = Read({c.path}); }));
    EXPECT_THAT(messages, ElementsAre(message));
    if (Extension(c.path) != ".gz") continue;
    SideRun staged(context.settings);
    staged.context.settings.localEggFile = c.path;
    int count = 0;
    EXPECT_TRUE(ReturnsWithoutWaiting(
        c.fifo, [&] { EXPECT_FALSE(ProcessLocalFiles(staged.context, 1, files, count)); }));
    EXPECT_THAT(staged.link.messageTexts(), ElementsAre(message));
  }
}

}  // namespace
}  // namespace corvane::testing
