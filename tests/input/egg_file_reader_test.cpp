// The egg data reader and its parts (lines, subgroup files), with good input
// and bad input of every kind; these also run under the sanitizers.
#include "input/egg_file_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "input/line_reader.h"
#include "input_fixture.h"

namespace corvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using ReaderTest = InputTest;

// Every way a file fails, and the header numbers each just inside (read) and
// just beyond (refused before any arithmetic): 201 eggs (the next test reads
// 200), a record count that fits 32 bits, a trial size whose product with
// the resolution does.
TEST_F(ReaderTest, EveryFailureIsReportedAndKeepsOnlyWhatWasSound) {
  const std::string good = EggText("1,2", 2, {"100,101", "102,103"});
  const std::string open = "Quake: Unable to open %s for input";
  const std::string bad = "Quake: %s is not a proper data file for analysis";
  const std::string sync = "Record 2 is out of sync", none = "Quake: No useable records";
  const auto numbers = [](long long eggs, const std::string& records, const std::string& trial) {
    std::string ids;
    for (long long k = 1; k <= eggs; ++k) ids += (k > 1 ? "," : "") + std::to_string(k);
    return EggText(ids, eggs, {"100,101"}, records, trial);
  };
  std::string unmarked = good, untyped = good;
  unmarked.replace(unmarked.find("record"), 6, "recorx");
  untyped.erase(untyped.find("10,4,200\n"), 9);
  struct Case {
    const char* what;
    std::vector<std::optional<std::string>> days;  // nullopt: no such file
    std::string message;                           // %s: the last day's path
    bool aborted;
    int samples;
    int resolution = 1;
    std::int64_t stop = 0;
  };
  // clang-format off
  const Case cases[] = {
      {"cannot open", {std::nullopt}, open, true, 0},
      {"appended day cannot open", {good, std::nullopt}, open, true, 2},
      {"first line without the marker", {unmarked}, bad, true, 0},
      {"empty file", {""}, bad, true, 0},
      {"no type-12 record", {good.substr(0, good.find("12,"))}, bad, true, 0},
      {"201 eggs", {numbers(201, "1", "200")},
       bad + ": it holds 201 eggs, more than the 200 a run can take", true, 0},
      {"negative egg count", {EggText("1,2", -1, {"100,101"})}, bad, true, 0},
      {"too few ids", {EggText("1,2", 3, {"100,101"})}, bad, true, 0},
      {"an empty id", {EggText("1,", 2, {"100,101"})}, bad, true, 0},
      {"an id beyond 32 bits", {EggText("1,99999999999", 2, {"100,101"})}, bad, true, 0},
      {"negative record count", {numbers(2, "-5", "200")}, bad, true, 0},
      {"most records", {numbers(2, "2147483647", "200")}, "Record 1 is out of sync", false, 1},
      {"too many records", {numbers(2, "2147483648", "200")}, bad, true, 0},
      {"records beyond 64 bits", {numbers(2, "99999999999999999999999", "200")}, bad, true, 0},
      {"no trial size", {untyped}, bad, true, 0},
      {"trial size 0", {numbers(2, "1", "0")}, bad, true, 0},
      {"largest trial size", {numbers(2, "1", "2147483647")}, "", false, 1},
      {"trial size too large", {numbers(2, "1", "2147483648")}, bad, true, 0},
      {"largest at resolution 2", {numbers(2, "1", "1073741823")}, "", false, 1, 2},
      {"too large at resolution 2", {numbers(2, "1", "1073741824")}, bad, true, 0, 2},
      {"the largest 64-bit trial size", {numbers(2, "1", "9223372036854775807")}, bad, true, 0, 3},
      {"beyond 64 bits at the largest resolution", {numbers(2, "1", "99999999999999999999999")},
       bad, true, 0, 14000000},
      {"resolution 0", {good}, "Quake: Resolution 0 is outside the allowed range 1 to 14000000",
       true, 0, 0},
      {"appended bad header", {good, "1,x\n10,4,200\n11,1,2\n"}, bad, true, 2},
      {"out of sync", {EggText("1,2", 2, {"100,101", "102,103"}, "4") + "14,3,t,1,1\n13,4,t\n"},
       sync, false, 2},
      {"short file", {EggText("1,2", 2, {"100,101", "102,103"}, "9")}, sync, false, 2},
      {"no useable records", {EggText("1,2", 2, {})}, none, true, 0},
      {"none in three files", {EggText("1", 1, {}), EggText("1", 1, {}), EggText("2", 1, {})},
       none, true, 0},
      {"insufficient data", {good}, "Quake: Insufficient data in the file", false, 2, 1, kDay + 9},
      {"several days may end early", {good, good}, "", false, 4, 1, kDay + 9},
      {"trial size change", {good, EggText("2", 1, {"90"}, "1", "180")},
       "Trialsize changed from 200 to 180", false, 3},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SegmentFileList paths;
    for (const auto& day : c.days) {
      paths.push_back(dir.File("day" + std::to_string(paths.size()) + ".csv"));
      std::filesystem::remove(paths.back());
      if (day) WriteFile(paths.back(), *day);
    }
    context.settings.resolution = c.resolution;
    context.settings.startTime = c.stop != 0 ? kDay : 0;
    context.settings.stopTime = c.stop;
    std::string message = c.message;
    if (const size_t at = message.find("%s"); at != std::string::npos) {
      message.replace(at, 2, paths.back());
    }
    EXPECT_EQ(Read(paths), message.empty() ? std::vector<std::string>{} : std::vector{message});
    EXPECT_EQ(run->context.Aborted(), c.aborted);
    EXPECT_EQ(table.sampleCount, c.samples);
    for (int k = 0; k < table.eggCount; ++k) {
      EXPECT_EQ(table.columns[k].samples.size(), static_cast<size_t>(c.samples));
    }
  }
  EXPECT_THAT(Read({Hand("good.csv", good), ""}),
              ElementsAre("Quake: No data file for day 2 of the run"));
  // A Stop while the message of a short file is shown: where the reading
  // stopped says nothing about the file, which is not called short besides.
  stopOnMessage = true;
  context.settings.startTime = kDay;
  context.settings.stopTime = kDay + 9;
  EXPECT_EQ(Read({Hand("short.csv", EggText("1,2", 2, {"100,101", "102,103"}, "9"))}),
            std::vector{sync});
  EXPECT_TRUE(run->context.StopRequested());
  EXPECT_EQ(Log().find("Insufficient"), std::string::npos) << Log();
}

// A header that claims billions of records takes memory only for what the
// file can hold, and damaged short records beyond that are still read. The
// 200-egg header line is longer than a thousand characters. Only values
// inside the band are stored: short lines leave the later eggs missing,
// values beyond the last egg are ignored, and numbers beyond 32 or 64 bits
// never wrap into the band.
TEST_F(ReaderTest, AnInflatedRecordCountTakesNoMemoryBeyondTheFileAndOnlyBandValuesAreStored) {
  std::string ids;
  for (int k = 0; k < kMaxEggs; ++k) ids += (k > 0 ? "," : "") + std::to_string(100001 + k);
  std::string wide =
      "4294967396,18446744073709551716,-4294967196,0000000000000000100,100.9,1e2, 55,0146, 146, 54";
  for (int k = 10; k <= kMaxEggs; ++k) wide += ",100";  // up to one value past the last egg
  std::string text = EggText(ids, kMaxEggs,
                             {",150,54,55,145, 100,abc,-100,100x,0100,146", "90",
                              "60,61,62,63,64,65,66,67,68,69,70", wide},
                             "2000000000");
  EXPECT_THAT(Read({Hand("full.csv", text)}), ElementsAre("Record 4 is out of sync"));
  ASSERT_EQ(table.sampleCount, 4);
  const std::int32_t m = kMissingSample;
  const std::vector<std::int32_t> first = {m, m, m, 55, 145, 100, m, m, 100, 100, m};
  const std::vector<std::int32_t> last = {m, m, m, 100, 100, m, 55, m, m, m, 100};
  for (int k = 0; k < 11; ++k) {
    EXPECT_EQ(table.columns[k].samples, (std::vector{first[k], k == 0 ? 90 : m, 60 + k, last[k]}))
        << k;
  }
  EXPECT_EQ(table.columns[kMaxEggs - 1].eggId, 100200);
  EXPECT_EQ(Sample(kMaxEggs - 1, 3), 100);
  for (int k = 0; k < kMaxEggs; ++k) EXPECT_LE(table.columns[k].samples.capacity(), 16u);

  for (int r = 4; r < 500; ++r) text += "13," + std::to_string(kDay + r) + ",t,110\n";
  EXPECT_THAT(Read({Hand("short.csv", text)}), ElementsAre("Record 500 is out of sync"));
  ASSERT_EQ(table.sampleCount, 500);
  EXPECT_EQ(Sample(0, 499), 110);
  EXPECT_EQ(Sample(1, 499), kMissingSample);
  for (int k = 0; k < kMaxEggs; ++k) EXPECT_EQ(table.columns[k].samples.size(), 500u);
}

TEST_F(ReaderTest, ArbitraryBytesNeverCrashTheReader) {
  // Every seventh prefix of a file with odd records, read as two days.
  const std::string text =
      EggText("1,2,3", 3, {"100,101,102", ",,", "99999999999999,1,2", "", "1,2,3,4,5"});
  for (size_t cut = 0; cut <= text.size(); cut += 7) {
    const std::string path = Hand("cut.csv", text.substr(0, cut));
    Read({path, path});
    for (int k = 0; k < table.eggCount; ++k) {
      EXPECT_EQ(table.columns[k].samples.size(), static_cast<size_t>(table.sampleCount));
    }
  }
}

TEST_F(ReaderTest, ResolutionTwoSumsPairsAndMarksIncompletePairs) {
  context.settings.resolution = 2;
  Read({Hand("pairs.csv", EggText("1,2", 2, {"100,90", "101,", "60,61", "70,71", "99,98"}))});
  EXPECT_EQ(table.trialSize, 400);
  // A pair valid only once is missing; the odd last record stands alone.
  EXPECT_EQ(table.columns[0].samples, (std::vector<std::int32_t>{201, 130, kMissingSample}));
  EXPECT_EQ(table.columns[1].samples,
            (std::vector<std::int32_t>{kMissingSample, 132, kMissingSample}));
  // A sample's time is that of its last record.
  EXPECT_EQ(table.firstSampleTime.Seconds(), kDay + 1);
  EXPECT_EQ(table.lastRecordTime.Seconds(), kDay + 4);
}

// Eggs of appended files go to the columns of the first file's eggs with
// their ids; the time filter includes both ends.
TEST_F(ReaderTest, AppendedFilesLackingOrAddingEggsMatchById) {
  auto day2 = Options(0, kDay + 86400, 4);
  day2.eggIds = {1003, 1001, 2000, 1001};  // reordered, 1002 lacking, 2000 new, 1001 repeated
  context.settings.startTime = kDay + 2;
  context.settings.stopTime = kDay + 86400 + 2;
  EXPECT_THAT(Read({Write("d1.csv", Options(3, kDay, 5)), Write("d2.csv", day2)}), IsEmpty());
  ASSERT_EQ(table.sampleCount, 6);
  EXPECT_EQ(table.firstSampleTime.Seconds(), kDay + 2);
  EXPECT_EQ(table.lastRecordTime.Seconds(), kDay + 86400 + 2);
  EXPECT_THAT(table.files[1].eggIds, ElementsAre(1003, 1001, 2000, 1001));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Sample(0, 3 + i), Value(day2, 1001, kDay + 86400 + i));
    EXPECT_EQ(Sample(2, 3 + i), Value(day2, 1003, kDay + 86400 + i));
  }
  EXPECT_EQ(table.columns[1].storedCount, 3);  // dropped out of the run
  EXPECT_FALSE(table.Usable(1));
  for (int i = 0; i < 6; ++i) EXPECT_FALSE(table.ValidCell(1, i));
  for (int k = 0; k < 3; ++k) EXPECT_EQ(table.columns[k].samples.size(), 6u);

  // The first sample time is that of the file that stores the first sample.
  context.settings.startTime = kDay + 86400 + 1;
  EXPECT_THAT(Read(files), IsEmpty());
  EXPECT_EQ(table.sampleCount, 2);
  EXPECT_EQ(table.firstSampleTime.Seconds(), kDay + 86400 + 1);
  EXPECT_EQ(Sample(2, 0), Value(day2, 1003, kDay + 86400 + 1));
}

// Lines of every length up to the limit, with their ends on every kind of
// block edge; the last line lacks its line feed.
TEST_F(ReaderTest, LinesAcrossBlocksStayWholeUpToTheLimit) {
  constexpr size_t kMax = LineReader::kMaxLineLength;
  std::string text = "\r\ncr\r\r\n";
  std::vector<std::string> expected = {"", "cr\r"};
  for (size_t i = 0; text.size() < 3 * LineReader::kBlockSize; ++i) {
    const size_t length = i % 50 == 49 ? kMax : 1 + (i * 7919) % 3001;
    expected.push_back(std::string(length, static_cast<char>('a' + i % 26)));
    text += expected.back() + ((i % 3 == 0) ? "\r\n" : "\n");
  }
  expected.push_back(std::string(kMax, 'z'));
  text += expected.back() + "\r";
  WriteFile(dir.File("big.txt"), text);

  LineReader reader;
  ASSERT_TRUE(reader.Open(dir.File("big.txt")));
  std::vector<std::string> lines;
  for (std::string_view line; reader.NextLine(line);) lines.emplace_back(line);
  EXPECT_FALSE(reader.Failed());
  EXPECT_FALSE(reader.TooLong());
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(reader.Consumed(), static_cast<std::int64_t>(text.size()));
  EXPECT_EQ(reader.LineCount(), static_cast<std::int64_t>(expected.size()));
  EXPECT_FALSE(reader.Open(dir.File("none")));
  EXPECT_FALSE(reader.Open(dir.path()));
  EXPECT_EQ(reader.NotRegular(), "it is a directory");
}

}  // namespace
}  // namespace corvane::testing
