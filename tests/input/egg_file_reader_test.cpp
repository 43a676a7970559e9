#include "input/egg_file_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "input_fixture.h"

namespace corvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A hand-written file: header for the ids, then the given data lines.
std::string HandFile(const std::vector<int>& ids, const std::vector<std::string>& records,
                     int trialSize = 200) {
  std::string text = "1,Samples per record,1\n10,4," + std::to_string(trialSize) + "\n11,1," +
                     std::to_string(ids.size()) + "\n11,4," + std::to_string(records.size()) +
                     "\n12,,";
  for (int id : ids) text += "," + std::to_string(id);
  text += "\n";
  for (const std::string& record : records) text += record + "\n";
  return text;
}

std::string Record(std::int64_t second, const std::string& values) {
  return "13," + std::to_string(second) + ",t," + values;
}

class ReaderTest : public InputTest {
 protected:
  void ReadAll(const std::vector<std::string>& paths) {
    files = paths;
    ReadFirstDataFile(context, files, static_cast<int>(files.size()), table);
    for (size_t i = 1; i < files.size() && !context.Aborted(); ++i) {
      AppendDataFile(context, files, static_cast<int>(i), table);
    }
  }
  std::string Hand(const std::string& name, const std::string& text) {
    WriteFile(dir.File(name), text);
    return dir.File(name);
  }
  std::int32_t Sample(int column, int index) const {
    return table.columns[static_cast<size_t>(column)].samples[static_cast<size_t>(index)];
  }

  SegmentFileList files;
  EggSampleTable table;
};

TEST_F(ReaderTest, GeneratedDayFillsTheTable) {
  const auto options = Options(4, kDay, 100);
  ReadAll({Write("day.csv", options)});
  ASSERT_FALSE(context.Aborted()) << ::testing::PrintToString(messages());
  EXPECT_THAT(messages(), IsEmpty());
  EXPECT_EQ(table.eggCount, 4);
  EXPECT_EQ(table.sampleCount, 100);
  EXPECT_EQ(table.totalRecords, 100);
  EXPECT_EQ(table.recordTrialSize, 200);
  EXPECT_EQ(table.trialSize, 200);
  EXPECT_EQ(table.firstSampleTime.Seconds(), kDay);
  EXPECT_EQ(table.lastRecordTime.Seconds(), kDay + 99);
  ASSERT_EQ(table.files.size(), 1u);
  EXPECT_THAT(table.files[0].eggIds, ElementsAre(1001, 1002, 1003, 1004));
  for (int k = 0; k < 4; ++k) {
    const EggColumn& column = table.columns[static_cast<size_t>(k)];
    EXPECT_EQ(column.eggId, 1001 + k);
    EXPECT_EQ(column.columnIndex, k);
    EXPECT_EQ(column.selected, 1);
    EXPECT_EQ(column.storedCount, 100);
    ASSERT_EQ(column.samples.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(Sample(k, i), Value(options, 1001 + k, kDay + i));
  }
}

TEST_F(ReaderTest, CrLfLinesAndMissingValuesReadLikeLf) {
  auto options = Options(3, kDay, 50);
  options.missingFraction = 0.2;
  ReadAll({Write("lf.csv", options)});
  const EggSampleTable lf = table;
  options.crlf = true;
  ReadAll({Write("crlf.csv", options)});
  ASSERT_FALSE(context.Aborted());
  ASSERT_EQ(table.sampleCount, 50);
  int missing = 0;
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(table.columns[k].samples, lf.columns[k].samples);
    for (int i = 0; i < 50; ++i) {
      const int expected = Value(options, 1001 + k, kDay + i);
      EXPECT_EQ(Sample(k, i), expected < 0 ? kMissingSample : expected);
      missing += expected < 0;
    }
  }
  EXPECT_GT(missing, 0);
}

TEST_F(ReaderTest, ResolutionOneStoresOnlyValuesInsideTheBand) {
  const std::vector<std::string> fields = {"",    "150",  "54",   "55",   "145", " 100",
                                           "abc", "-100", "100x", "0100", "146"};
  std::string values;
  for (size_t j = 0; j < fields.size(); ++j) values += (j ? "," : "") + fields[j];
  std::vector<int> ids;
  for (size_t j = 0; j < fields.size(); ++j) ids.push_back(static_cast<int>(j) + 1);
  ReadAll({Hand("band.csv", HandFile(ids, {Record(kDay, values)}))});
  ASSERT_EQ(table.sampleCount, 1);
  const std::vector<std::int32_t> expected = {kMissingSample,
                                              kMissingSample,
                                              kMissingSample,
                                              55,
                                              145,
                                              100,
                                              kMissingSample,
                                              kMissingSample,
                                              100,
                                              100,
                                              kMissingSample};
  for (size_t j = 0; j < expected.size(); ++j)
    EXPECT_EQ(Sample(static_cast<int>(j), 0), expected[j]);
}

TEST_F(ReaderTest, ShortAndLongDataLinesKeepTheirColumns) {
  // A line with too few values leaves the rest missing; extra values are ignored.
  ReadAll(
      {Hand("short.csv", HandFile({1, 2, 3}, {Record(kDay, "100"), Record(kDay + 1, "90,91,92,93"),
                                              Record(kDay + 2, "80,81,82")}))});
  ASSERT_EQ(table.sampleCount, 3);
  EXPECT_EQ(Sample(0, 0), 100);
  EXPECT_EQ(Sample(1, 0), kMissingSample);
  EXPECT_EQ(Sample(2, 0), kMissingSample);
  EXPECT_EQ(Sample(2, 1), 92);
  EXPECT_EQ(Sample(0, 2), 80);
  EXPECT_EQ(Sample(2, 2), 82);
}

TEST_F(ReaderTest, ResolutionTwoSumsPairsAndMarksIncompletePairs) {
  context.settings.resolution = 2;
  ReadAll({Hand("pairs.csv", HandFile({1, 2}, {Record(kDay, "100,90"), Record(kDay + 1, "101,"),
                                               Record(kDay + 2, "60,61"), Record(kDay + 3, "70,71"),
                                               Record(kDay + 4, "99,98")}))});
  ASSERT_FALSE(context.Aborted());
  EXPECT_EQ(table.resolution, 2);
  EXPECT_EQ(table.recordTrialSize, 200);
  EXPECT_EQ(table.trialSize, 400);
  ASSERT_EQ(table.sampleCount, 3);
  EXPECT_EQ(Sample(0, 0), 201);
  EXPECT_EQ(Sample(1, 0), kMissingSample);  // valid only once in the pair
  EXPECT_EQ(Sample(0, 1), 130);
  EXPECT_EQ(Sample(1, 1), 132);
  EXPECT_EQ(Sample(0, 2), kMissingSample);  // the odd last record stands alone
  EXPECT_EQ(Sample(1, 2), kMissingSample);
  // The first sample time is the last record of the first sample.
  EXPECT_EQ(table.firstSampleTime.Seconds(), kDay + 1);
  EXPECT_EQ(table.lastRecordTime.Seconds(), kDay + 4);
}

TEST_F(ReaderTest, TimeFilterIncludesBothEnds) {
  const auto options = Options(2, kDay, 10);
  context.settings.startTime = kDay + 2;
  context.settings.stopTime = kDay + 5;
  ReadAll({Write("range.csv", options)});
  ASSERT_FALSE(context.Aborted());
  EXPECT_THAT(messages(), IsEmpty());
  ASSERT_EQ(table.sampleCount, 4);
  EXPECT_EQ(table.firstSampleTime.Seconds(), kDay + 2);
  EXPECT_EQ(table.lastRecordTime.Seconds(), kDay + 5);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Sample(1, i), Value(options, 1002, kDay + 2 + i));
}

TEST_F(ReaderTest, FileEndingBeforeTheStopIsReportedOnlyForASingleFile) {
  context.settings.startTime = kDay;
  context.settings.stopTime = kDay + 20;
  ReadAll({Write("early.csv", Options(2, kDay, 10))});
  EXPECT_FALSE(context.Aborted());
  EXPECT_THAT(messages(), ElementsAre("Quake: Insufficient data in the file"));
  EXPECT_EQ(table.sampleCount, 10);

  SideRun two(context.settings);
  SegmentFileList list = {files[0], files[0]};
  ReadFirstDataFile(two.context, list, 2, table);
  EXPECT_THAT(two.link.messageTexts(), IsEmpty());
}

TEST_F(ReaderTest, NoUseableRecordsEndsTheRunWhateverTheFileCount) {
  context.settings.startTime = kDay + 1000;
  context.settings.stopTime = kDay + 2000;
  ReadAll({Write("one.csv", Options(2, kDay, 10))});
  EXPECT_TRUE(context.Aborted());
  EXPECT_THAT(messages(), ElementsAre("Quake: No useable records"));

  // With several files the readers stay quiet and the check reports once.
  SideRun three(context.settings);
  SegmentFileList list = {files[0], files[0], files[0]};
  ReadFirstDataFile(three.context, list, 3, table);
  AppendDataFile(three.context, list, 1, table);
  AppendDataFile(three.context, list, 2, table);
  EXPECT_FALSE(three.context.Aborted());
  EXPECT_THAT(three.link.messageTexts(), IsEmpty());
  EXPECT_FALSE(CheckUseableRecords(three.context, table));
  EXPECT_TRUE(three.context.Aborted());
  EXPECT_FALSE(CheckUseableRecords(three.context, table));
  EXPECT_THAT(three.link.messageTexts(), ElementsAre("Quake: No useable records"));
}

TEST_F(ReaderTest, FirstSampleTimeComesFromTheFileThatGivesTheFirstSample) {
  const auto day2 = Options(2, kDay + 86400, 10);
  context.settings.startTime = kDay + 86400 + 3;
  context.settings.stopTime = kDay + 86400 + 5;
  ReadAll({Write("d1.csv", Options(2, kDay, 10)), Write("d2.csv", day2)});
  ASSERT_FALSE(context.Aborted());
  EXPECT_TRUE(CheckUseableRecords(context, table));
  EXPECT_EQ(table.sampleCount, 3);
  EXPECT_EQ(table.firstSampleTime.Seconds(), kDay + 86400 + 3);
  EXPECT_EQ(table.lastRecordTime.Seconds(), kDay + 86400 + 5);
  EXPECT_EQ(Sample(0, 0), Value(day2, 1001, kDay + 86400 + 3));
}

TEST_F(ReaderTest, AppendedFilesMatchEggsById) {
  auto day1 = Options(3, kDay, 5);
  auto day2 = Options(0, kDay + 86400, 4);
  day2.eggIds = {1003, 1001, 2000};  // reordered, 1002 lacking, 2000 new
  day2.trialSize = 180;
  ReadAll({Write("d1.csv", day1), Write("d2.csv", day2)});
  ASSERT_FALSE(context.Aborted());
  EXPECT_THAT(messages(), ElementsAre("Trialsize changed from 200 to 180"));
  EXPECT_EQ(table.trialSize, 200);
  EXPECT_EQ(table.totalRecords, 9);
  ASSERT_EQ(table.sampleCount, 9);
  ASSERT_EQ(table.files.size(), 2u);
  EXPECT_THAT(table.files[1].eggIds, ElementsAre(1003, 1001, 2000));
  EXPECT_EQ(table.files[1].eggCount, 3);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(Sample(0, 5 + i), Value(day2, 1001, kDay + 86400 + i));
    EXPECT_EQ(Sample(2, 5 + i), Value(day2, 1003, kDay + 86400 + i));
  }
  EXPECT_EQ(table.columns[0].storedCount, 9);
  EXPECT_EQ(table.columns[1].storedCount, 5);  // dropped out of the run
  EXPECT_TRUE(table.Usable(0));
  EXPECT_FALSE(table.Usable(1));
  for (int i = 0; i < 9; ++i) EXPECT_FALSE(table.ValidCell(1, i));
  for (int k = 0; k < 3; ++k) EXPECT_EQ(table.columns[k].samples.size(), 9u);
}

TEST_F(ReaderTest, SubgroupSelectsColumns) {
  context.settings.eggSubgroup = {1004, 1021, 1066};
  ReadAll({Write("d.csv", Options(60, kDay, 3))});
  ASSERT_EQ(table.eggCount, 60);
  for (int k = 0; k < 60; ++k) {
    const int id = table.columns[k].eggId;
    EXPECT_EQ(table.columns[k].selected, id == 1004 || id == 1021 ? 1 : 0) << id;
  }
}

TEST_F(ReaderTest, TwoHundredEggHeaderLongerThanAThousandCharacters) {
  auto options = Options(200, kDay, 3);
  options.firstEggId = 100000;
  const std::string path = Write("wide.csv", options);
  ASSERT_GT(ReadFile(path).find("\n13,"), 1000u);
  ReadAll({path});
  ASSERT_FALSE(context.Aborted());
  EXPECT_EQ(table.eggCount, 200);
  EXPECT_EQ(table.columns[199].eggId, 100199);
  EXPECT_EQ(Sample(199, 2), Value(options, 100199, kDay + 2));
}

TEST_F(ReaderTest, RecordOutOfSyncEndsTheFileButKeepsItsSamples) {
  ReadAll({Hand("sync.csv",
                HandFile({1}, {Record(kDay, "100"), Record(kDay + 1, "101"),
                               Record(kDay + 2, "102"), "14,1,t,103", Record(kDay + 4, "104")}))});
  EXPECT_FALSE(context.Aborted());
  EXPECT_THAT(messages(), ElementsAre("Record 3 is out of sync"));
  ASSERT_EQ(table.sampleCount, 3);
  EXPECT_EQ(Sample(0, 2), 102);
}

TEST_F(ReaderTest, FileShorterThanItsHeaderReportsTheRecordsPresent) {
  for (std::int64_t claimed : {10, 2000000000}) {
    SideRun run(context.settings);
    auto options = Options(200, kDay, 6);
    options.headerRecordCount = claimed;
    files = {Write("short.csv", options)};
    ReadFirstDataFile(run.context, files, 1, table);
    EXPECT_FALSE(run.context.Aborted());
    EXPECT_THAT(run.link.messageTexts(), ElementsAre("Record 6 is out of sync"));
    EXPECT_EQ(table.sampleCount, 6);
    // A few kilobytes of file: no column may reserve more samples than they can hold.
    EXPECT_LT(table.columns[0].samples.capacity(), 10000u);
  }
}

TEST_F(ReaderTest, CompressedEntriesAreInflatedIntoTheTemporaryDirectory) {
  const auto day1 = Options(2, kDay, 5);
  const auto day2 = Options(2, kDay + 86400, 5);
  context.settings.saveRemoteInput = true;
  ReadAll({Write("q.gz", day1, true), Write("q_2.gz", day2, true)});
  ASSERT_FALSE(context.Aborted()) << ::testing::PrintToString(messages());
  EXPECT_FALSE(context.settings.saveRemoteInput);
  EXPECT_THAT(files, ElementsAre(dir.File("tmp/data.csv"), dir.File("tmp/data_2.csv")));
  ASSERT_EQ(table.sampleCount, 10);
  EXPECT_EQ(Sample(1, 7), Value(day2, 1002, kDay + 86400 + 2));
}

TEST_F(ReaderTest, SetAbortFlagStopsTheReaders) {
  const std::string path = Write("d.csv", Options(2, kDay, 5));
  context.Abort();
  ReadAll({path});
  AppendDataFile(context, files, 0, table);
  EXPECT_EQ(table.sampleCount, 0);
  EXPECT_THAT(messages(), IsEmpty());
}

}  // namespace
}  // namespace corvane::testing
