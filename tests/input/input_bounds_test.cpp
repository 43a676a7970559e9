// The bounds of the input readers, each just inside (accepted) and just
// beyond (refused with a message naming the file, nothing left behind):
// line length (plain and compressed), inflated size, and names that are not
// regular files (egg data and subgroup files). Header numbers and value
// fields: see ReaderTest.
#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "eggdata/gzip_bytes.h"
#include "input/egg_group_file.h"
#include "input/gz_file.h"
#include "input/line_reader.h"
#include "input_fixture.h"
#include "support/fifo.h"

namespace corvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr size_t kMaxLine = LineReader::kMaxLineLength;

using BoundsTest = InputTest;

// Record lines and header lines of exactly the limit are read (a carriage
// return before the line feed is not part of the line); one byte more is
// refused with the line's number. The same holds for the text of a
// compressed file, whose lines are counted as it is inflated.
TEST_F(BoundsTest, LinesUpToTheLimitAreReadAndALongerOneRefusesTheFile) {
  const auto refused = [](const std::string& path, int line) {
    return "Quake: " + path + " is not a proper data file for analysis: line " +
           std::to_string(line) + " is longer than 65536 bytes";
  };
  const auto write = [&](const std::string& name, const std::string& text, bool gzip) {
    return Hand(name + (gzip ? ".gz" : ".csv"), gzip ? *eggdata::GzipCompress(text) : text);
  };
  const std::string record = EggRecord(0, "100,101,");
  const std::string first = "1,Samples per record,";
  for (const bool gzip : {false, true}) {
    for (const size_t extra : {size_t{0}, size_t{1}}) {
      SCOPED_TRACE(std::to_string(extra) + (gzip ? " compressed" : " plain"));
      const std::string long_record = record.substr(0, record.size() - 1) +
                                      std::string(kMaxLine + extra - (record.size() - 1), 'x');
      const std::string text =
          EggHeader("1,2", 2, "2") + long_record + "\r\n" + EggRecord(1, "102,103");
      const std::string path = write("long", text, gzip);
      std::vector<std::string> expected;
      if (extra > 0) expected.push_back(refused(path, 6));
      EXPECT_EQ(Read({path}), expected);
      EXPECT_EQ(run->context.Aborted(), extra > 0);
      if (extra == 0) {
        EXPECT_EQ(table.columns[0].samples, (std::vector<std::int32_t>{100, 102}));
        EXPECT_EQ(table.columns[1].samples, (std::vector<std::int32_t>{101, 103}));
      }
      // The first (header) line, and an appended file's line.
      const std::string header_text = EggHeader("1,2", 2, "1");
      const std::string long_first =
          first + std::string(kMaxLine + extra - first.size(), 'y') + header_text.substr(20);
      const std::string first_path = write("first", long_first + EggRecord(0, "100,101"), gzip);
      EXPECT_EQ(Read({first_path}),
                extra == 0 ? std::vector<std::string>{} : std::vector{refused(first_path, 1)});
      const std::string good = Hand("good.csv", EggHeader("1,2", 2, "1") + EggRecord(0, "100,101"));
      EXPECT_EQ(Read({good, path}), expected);
    }
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

// A compressed file is read as it is inflated, up to kMaxInflatedBytes of
// text; one byte more refuses it, naming the file. Nothing is written to the
// temporary directory on the way.
TEST_F(BoundsTest, InflationStopsAtTheSizeBound) {
  // A stream of gzip members, each one compressed block; zlib reads them as
  // one text. 1024 blocks of 1 MiB make exactly the limit.
  const std::string line = std::string(size_t{1} << 16, 'v').substr(1) + "\n";
  std::string block;
  while (block.size() < (size_t{1} << 20)) block += line;
  const std::string member = *eggdata::GzipCompress(block, 9);
  std::string gz;
  for (int i = 0; i < 1024; ++i) gz += member;
  static_assert(kMaxInflatedBytes == std::int64_t{1} << 30);

  const std::string path = dir.File("quake.gz");
  WriteFile(path, gz);
  EXPECT_THAT(Read({path}),
              ElementsAre("Quake: " + path + " is not a proper data file for analysis"));
  WriteFile(path, gz + *eggdata::GzipCompress("\n"));
  EXPECT_THAT(Read({path}), ElementsAre("Quake: " + path +
                                        " is too large: its data exceed 1073741824 bytes when "
                                        "inflated"));
  EXPECT_TRUE(run->context.Aborted());
  EXPECT_TRUE(std::filesystem::is_empty(dir.File("tmp")));
}

// FIFOs, directories and devices as egg data files, plain or compressed, or
// as subgroup files, are refused at once, naming them, and the subgroup
// file's refusal is logged; a FIFO is never waited on.
TEST_F(BoundsTest, NamesThatAreNotRegularFilesAreRefusedWithoutWaiting) {
  const Fifo plain(dir.File("pipe.csv"));
  const Fifo compressed(dir.File("pipe.gz"));
  const struct {
    const Fifo& fifo;
    std::string path, reason;
  } cases[] = {{plain, plain.path(), "it is a FIFO"},
               {compressed, compressed.path(), "it is a FIFO"},
               {plain, dir.path(), "it is a directory"},
               {plain, "/dev/zero", "it is a device"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    std::vector<std::string> messages;
    EggSubgroup subgroup;
    EXPECT_TRUE(ReturnsWithoutWaiting(c.fifo, [&] {
      messages = Read({c.path});
      subgroup = ReadEggGroupFile(c.path);
    }));
    EXPECT_THAT(messages,
                ElementsAre("Quake: Unable to open " + c.path + " for input: " + c.reason));
    EXPECT_EQ(subgroup.error, "Egg subgroup file " + c.path + " cannot be read: " + c.reason);
    EXPECT_THAT(Log(), HasSubstr("Failed to open egg group file '" + c.path + "'\n"));
  }
}

}  // namespace
}  // namespace corvane::testing
