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

// A repeat across files is no skip: the order test holds within one file.
// At resolution 2 a skipped record takes no place in a pair, and the pairing
// goes on by records across a gap.
TEST_F(TimeStampTest, RepeatedAndBackwardRecordsAreSkippedAndGapsCounted) {
  const std::int32_t m = kMissingSample;
  const struct {
    const char* what;
    std::vector<std::vector<std::int64_t>> days;  // each file's offsets
    std::int64_t start, stop;                     // offsets of the range; both -1: no filter
    std::vector<std::int32_t> samples;
    std::int64_t skipped, missing;
    int resolution = 1;
  } cases[] = {
      {"in order", {{0, 1, 2, 3}}, -1, -1, {60, 61, 62, 63}, 0, 0},
      {"each twice", {{0, 0, 1, 1, 2, 2}}, -1, -1, {60, 62, 64}, 3, 0},
      {"backward", {{0, 1, 2, 1, 0, 3}}, -1, -1, {60, 61, 62, 65}, 2, 0},
      {"a gap", {{0, 1, 5, 6}}, -1, -1, {60, 61, 62, 63}, 0, 3},
      {"a gap and a repeat", {{0, 3, 3, 10}}, -1, -1, {60, 61, 63}, 1, 8},
      // Only what lies in the range counts: 2..4 are missing (8 and 9 lie
      // beyond it), the second 7 is skipped, the repeat of 0 is not counted.
      {"a range", {{0, 0, 1, 5, 6, 7, 7, 10, 11}}, 2, 7, {63, 64, 65}, 1, 3},
      {"a gap between files", {{0, 1, 2}, {6, 7}}, -1, -1, {60, 61, 62, 60, 61}, 0, 3},
      {"a repeat across files", {{0, 1, 2}, {2, 3, 3}}, -1, -1, {60, 61, 62, 60, 61}, 1, 0},
      {"twice at 2", {{0, 0, 1, 1, 2, 2, 3, 3}}, -1, -1, {60 + 62, 64 + 66}, 4, 0, 2},
      {"a gap at 2", {{0, 1, 4, 5, 6}}, -1, -1, {60 + 61, 62 + 63, m}, 0, 2, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    context.settings.startTime = c.start < 0 ? 0 : kDay + c.start;
    context.settings.stopTime = c.stop < 0 ? 0 : kDay + c.stop;
    context.settings.resolution = c.resolution;
    SegmentFileList paths;
    for (const auto& day : c.days) {
      paths.push_back(Hand("d" + std::to_string(paths.size()) + ".csv", Stamped(day)));
    }
    EXPECT_TRUE(Read(paths).empty());
    EXPECT_EQ(table.columns[0].samples, c.samples);
    EXPECT_EQ(table.skippedRecords, c.skipped);
    EXPECT_EQ(table.missingSeconds, c.missing);
    if (c.resolution == 2) {  // a sample's time is that of its last record
      EXPECT_EQ(table.firstSampleTime.Seconds(), kDay + 1);
    }
  }
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
