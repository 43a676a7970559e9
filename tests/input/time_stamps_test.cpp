// Time stamps as the reader meets them: repeated and backward seconds are
// skipped and counted, gaps counted as missing seconds within the range, in
// one file, across files and at a resolution above 1.
#include <limits>

#include <gtest/gtest.h>

#include "input_fixture.h"

namespace corvane::testing {
namespace {

// A one-egg file with one record per time offset (from kDay) and the value
// 60 + index, so that the stored samples tell which records were used.
std::string Stamped(const std::vector<std::int64_t>& offsets) {
  std::string text = EggHeader("7", 1, std::to_string(offsets.size()));
  for (size_t i = 0; i < offsets.size(); ++i) {
    text += EggRecord(offsets[i], std::to_string(60 + i));
  }
  return text;
}

using TimeStampTest = InputTest;

TEST_F(TimeStampTest, RepeatedAndBackwardRecordsAreSkippedAndGapsCounted) {
  const struct {
    const char* what;
    std::vector<std::int64_t> offsets;
    std::int64_t start, stop;  // offsets of the range; both -1: no filter
    std::vector<std::int32_t> samples;
    std::int64_t skipped, missing;
  } cases[] = {
      {"in order", {0, 1, 2, 3}, -1, -1, {60, 61, 62, 63}, 0, 0},
      {"each twice", {0, 0, 1, 1, 2, 2}, -1, -1, {60, 62, 64}, 3, 0},
      {"backward", {0, 1, 2, 1, 0, 3}, -1, -1, {60, 61, 62, 65}, 2, 0},
      {"a gap", {0, 1, 5, 6}, -1, -1, {60, 61, 62, 63}, 0, 3},
      {"a gap and a repeat", {0, 3, 3, 10}, -1, -1, {60, 61, 63}, 1, 8},
      // Only what lies in the range counts: 2..4 are missing (8 and 9 lie
      // beyond it), the second 7 is skipped, the repeat of 0 is not counted.
      {"a range", {0, 0, 1, 5, 6, 7, 7, 10, 11}, 2, 7, {63, 64, 65}, 1, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    context.settings.startTime = c.start < 0 ? 0 : kDay + c.start;
    context.settings.stopTime = c.stop < 0 ? 0 : kDay + c.stop;
    EXPECT_TRUE(Read({Hand("day.csv", Stamped(c.offsets))}).empty());
    EXPECT_EQ(table.columns[0].samples, c.samples);
    EXPECT_EQ(table.skippedRecords, c.skipped);
    EXPECT_EQ(table.missingSeconds, c.missing);
  }
}

// A gap between two files counts; a repeat across files is no skip (the
// order test holds within one file).
TEST_F(TimeStampTest, GapsBetweenFilesCountButOnlyAFileOrdersItsOwnRecords) {
  EXPECT_TRUE(Read({Hand("d1.csv", Stamped({0, 1, 2})), Hand("d2.csv", Stamped({6, 7}))}).empty());
  EXPECT_EQ(table.sampleCount, 5);
  EXPECT_EQ(table.missingSeconds, 3);
  EXPECT_EQ(table.skippedRecords, 0);

  EXPECT_TRUE(
      Read({Hand("d1.csv", Stamped({0, 1, 2})), Hand("d2.csv", Stamped({2, 3, 3}))}).empty());
  EXPECT_EQ(table.columns[0].samples, (std::vector<std::int32_t>{60, 61, 62, 60, 61}));
  EXPECT_EQ(table.missingSeconds, 0);
  EXPECT_EQ(table.skippedRecords, 1);
}

// At resolution 2 a skipped record takes no place in a pair, so a file with
// every record twice gives the samples of the file without repeats; the
// pairing goes on by records across a gap, whose seconds are counted.
TEST_F(TimeStampTest, AtResolutionTwoSkippedRecordsTakeNoPlaceInAPair) {
  context.settings.resolution = 2;
  Read({Hand("twice.csv", Stamped({0, 0, 1, 1, 2, 2, 3, 3}))});
  EXPECT_EQ(table.columns[0].samples, (std::vector<std::int32_t>{60 + 62, 64 + 66}));
  EXPECT_EQ(table.skippedRecords, 4);
  EXPECT_EQ(table.firstSampleTime.Seconds(), kDay + 1);

  Read({Hand("gap.csv", Stamped({0, 1, 4, 5, 6}))});
  EXPECT_EQ(table.columns[0].samples,
            (std::vector<std::int32_t>{60 + 61, 62 + 63, kMissingSample}));
  EXPECT_EQ(table.missingSeconds, 2);
  EXPECT_EQ(table.skippedRecords, 0);
}

// Absurd time stamps (far beyond 64 bits, read as the extremes) give a
// saturated count rather than an overflow.
TEST_F(TimeStampTest, AbsurdTimeStampsSaturateTheCount) {
  Read({Hand("absurd.csv", EggHeader("7", 1, "3") + "13,-99999999999999999999,t,100\n13,5,t,101\n"
                                                    "13,99999999999999999999,t,102\n")});
  EXPECT_EQ(table.sampleCount, 3);
  EXPECT_EQ(table.missingSeconds, std::numeric_limits<std::int64_t>::max());
}

}  // namespace
}  // namespace corvane::testing
