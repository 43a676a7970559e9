// The synthetic data generator. Day sets written by WriteEggDataDays are read
// back by the local runs of the job tests (LocalRunTest).
#include "eggdata/egg_data_generator.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "support/text_lines.h"

namespace corvane::eggdata {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr std::int64_t kDay = 1304380800;  // 2011-05-03 00:00:00

// The data (type-13) lines of a generated text.
std::vector<std::string> DataLines(const std::string& text) {
  std::vector<std::string> data;
  for (const std::string& line : testing::Lines(text)) {
    if (line.rfind("13,", 0) == 0) data.push_back(line);
  }
  return data;
}

EggDataOptions Small(std::int64_t records, int eggs = 5) {
  EggDataOptions options;
  options.start = kDay;
  options.stop = kDay + records - 1;
  options.eggCount = eggs;
  return options;
}

// Mean and variance of the values of the options' eggs over its range.
std::pair<double, double> Moments(const EggDataOptions& options) {
  double sum = 0, squares = 0;
  int n = 0;
  for (int id : FileEggIds(options)) {
    for (std::int64_t t = options.start; t <= options.stop; ++t) {
      if (const std::optional<int> value = EggTrialValue(options, id, t)) {
        sum += *value;
        squares += double(*value) * *value;
        ++n;
      }
    }
  }
  return {sum / n, squares / n - (sum / n) * (sum / n)};
}

TEST(EggDataGeneratorTest, WritesTheEggDataFileFormatTheSameForEachSecond) {
  EggDataOptions options = Small(3);
  options.eggIds = {1, 28, 37};
  std::string expected =
      "1,Samples per record,1,Corvane synthetic egg data\n10,1,2011-05-03\n10,4,200\n11,1,3\n"
      "11,2,1\n11,4,3\n12,gmtime,egg ids,1,28,37\n";
  for (int s = 0; s < 3; ++s) {
    expected += "13," + std::to_string(kDay + s) + ",2011-05-03 00:00:0" + std::to_string(s);
    for (int id : options.eggIds)
      expected += "," + std::to_string(*EggTrialValue(options, id, kDay + s));
    expected += "\n";
  }
  EXPECT_EQ(GenerateEggData(options), expected);

  // The same second has the same values whatever the range; the seed changes them.
  EggDataOptions narrow = Small(10), wide = narrow, reseeded = narrow;
  wide.start -= 3600;
  wide.stop += 3600;
  reseeded.seed = 2;
  const std::vector<std::string> a = DataLines(GenerateEggData(narrow));
  const std::vector<std::string> b = DataLines(GenerateEggData(wide));
  ASSERT_EQ(a.size(), 10u);
  EXPECT_EQ(a, std::vector<std::string>(b.begin() + 3600, b.begin() + 3610));
  EXPECT_NE(DataLines(GenerateEggData(reseeded)), a);
}

TEST(EggDataGeneratorTest, TrialsAreFairBitSumsAndTheMeanShiftMovesOnlyItsEggsAndWindow) {
  for (int trial_size : {200, 37}) {
    EggDataOptions options = Small(2000, 20);
    options.trialSize = trial_size;
    const auto [mean, variance] = Moments(options);
    // 40000 values: the standard errors are sqrt(T/4/40000) and about T/4 * 0.007.
    EXPECT_NEAR(mean, trial_size / 2.0, 4 * std::sqrt(trial_size / 4.0 / 40000)) << trial_size;
    EXPECT_NEAR(variance, trial_size / 4.0, trial_size / 4.0 * 0.03) << trial_size;
  }

  EggDataOptions options = Small(4000, 10);
  options.meanShift = 2.5;
  options.shiftStart = kDay + 2000;
  options.shiftStop = kDay + 3999;
  options.shiftEggs = {1001, 1002, 1003, 1004, 1005};
  auto window_mean = [&](int first_id, std::int64_t from) {
    EggDataOptions part = options;
    part.eggIds = {first_id, first_id + 1, first_id + 2, first_id + 3, first_id + 4};
    part.start = from;
    part.stop = from + 1999;
    return Moments(part).first;
  };
  // 10000 values each: standard error 0.07.
  EXPECT_NEAR(window_mean(1001, kDay + 2000), 102.5, 0.3);
  EXPECT_NEAR(window_mean(1001, kDay), 100.0, 0.3);
  EXPECT_NEAR(window_mean(1006, kDay + 2000), 100.0, 0.3);
}

TEST(EggDataGeneratorTest, OptionsShapeTheColumnsMissingValuesLineEndsAndHeader) {
  EggDataOptions options = Small(1000);
  options.missingFraction = 0.25;
  int empty = 0;
  for (const std::string& line : DataLines(GenerateEggData(options))) {
    ASSERT_EQ(std::count(line.begin(), line.end(), ','), 7);  // five eggs, empty or not
    empty += line.back() == ',';
    for (size_t at = line.find(",,"); at != std::string::npos; at = line.find(",,", at + 1))
      ++empty;
  }
  EXPECT_NEAR(empty / 5000.0, 0.25, 0.03);

  options = Small(2);
  options.absentEggs = {1002, 1004};
  options.headerRecordCount = 10;
  options.crlf = true;
  EXPECT_THAT(FileEggIds(options), ElementsAre(1001, 1003, 1005));
  const std::string text = GenerateEggData(options);
  EXPECT_THAT(text, HasSubstr("\r\n11,1,3\r\n"));
  EXPECT_THAT(text, HasSubstr("\r\n11,4,10\r\n12,gmtime,egg ids,1001,1003,1005\r\n"));
  // Every line feed follows a carriage return.
  for (size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 1)) {
    ASSERT_EQ(text[i - 1], '\r') << i;
  }
}

TEST(EggDataGeneratorTest, DayFilesFollowTheLocalNamingAndUnwritablePathsFail) {
  EXPECT_EQ(DayFileName("/data/quake.csv", 0), "/data/quake.csv");
  EXPECT_EQ(DayFileName("/data/quake.v1.gz", 2), "/data/quake.v1_3.gz");
  EXPECT_EQ(DayFileName("/data.d/quake", 1), "/data.d/quake_2");
  testing::TempDir dir;
  EXPECT_FALSE(WriteEggDataFile(dir.File("missing/d.csv"), Small(2), false));
  EXPECT_TRUE(WriteEggDataDays(dir.File("missing/d.csv"), Small(2), false).empty());
}

TEST(EggDataGeneratorTest, CommandWritesFilesAndExplainsItself) {
  testing::TempDir dir;
  const std::string command = std::string(CORVANE_BINARY_DIR) + "/tools/eggdata/corvane-eggdata";
  const std::string out = dir.File("help.txt");
  ASSERT_EQ(std::system((command + " --help > " + out).c_str()), 0);
  EXPECT_THAT(testing::ReadFile(out), HasSubstr("--gzip"));
  ASSERT_EQ(std::system(
                (command + " --date 2011-05-03 --eggs 3 --seed 9 --crlf --out " + dir.File("d.csv"))
                    .c_str()),
            0);
  EggDataOptions options = Small(86400, 3);
  options.seed = 9;
  options.crlf = true;
  EXPECT_EQ(testing::ReadFile(dir.File("d.csv")), GenerateEggData(options));
  EXPECT_NE(std::system((command + " --eggs x --out " + dir.File("e.csv") + " 2> " + out).c_str()),
            0);
  EXPECT_THAT(testing::ReadFile(out), HasSubstr("invalid egg count"));
}

}  // namespace
}  // namespace corvane::eggdata
