#include "input/line_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace corvane::testing {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> ReadLines(const std::string& path, std::int64_t* consumed = nullptr) {
  LineReader reader;
  EXPECT_TRUE(reader.Open(path));
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.NextLine(line)) lines.emplace_back(line);
  EXPECT_FALSE(reader.Failed());
  if (consumed != nullptr) *consumed = reader.Consumed();
  return lines;
}

TEST(LineReaderTest, SplitsAtLineFeedsAndDropsTheCarriageReturnBeforeThem) {
  TempDir dir;
  WriteFile(dir.File("a.txt"), "one\r\ntwo\n\nthree\r\r\nlast\r");
  std::int64_t consumed = 0;
  EXPECT_THAT(ReadLines(dir.File("a.txt"), &consumed),
              ElementsAre("one", "two", "", "three\r", "last"));
  EXPECT_EQ(consumed, 23);  // the whole file
  WriteFile(dir.File("empty.txt"), "");
  EXPECT_TRUE(ReadLines(dir.File("empty.txt")).empty());
}

TEST(LineReaderTest, LinesAcrossBlocksAndLongerThanABlockStayWhole) {
  TempDir dir;
  std::string text;
  std::vector<std::string> expected;
  // Lines of many lengths, so that line ends fall on every kind of block edge.
  for (size_t i = 0; text.size() < 3 * LineReader::kBlockSize; ++i) {
    expected.push_back(std::string(1 + (i * 7919) % 3001, static_cast<char>('a' + i % 26)));
    text += expected.back() + ((i % 3 == 0) ? "\r\n" : "\n");
  }
  expected.push_back(std::string(LineReader::kBlockSize * 2 + 5, 'z'));  // no line feed
  text += expected.back();
  WriteFile(dir.File("big.txt"), text);
  EXPECT_EQ(ReadLines(dir.File("big.txt")), expected);
}

TEST(LineReaderTest, RefusesMissingFilesAndDirectories) {
  TempDir dir;
  LineReader reader;
  EXPECT_FALSE(reader.Open(dir.File("none")));
  EXPECT_FALSE(reader.Open(dir.path()));
}

}  // namespace
}  // namespace corvane::testing
