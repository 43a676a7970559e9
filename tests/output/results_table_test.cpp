// A results record has one field per column whatever the run's outcome, and
// texts that hold the separator stay one field.
#include "output/results_table.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace corvane {
namespace {

size_t Commas(const std::string& text) { return std::count(text.begin(), text.end(), ','); }

TEST(ResultsTableTest, EveryRecordHasAFieldPerColumn) {
  ResultRequest request;
  request.dataName = "Quake";
  request.compareIntervals = true;
  RunReport completed;
  completed.outcome = RunOutcome::kCompleted;
  completed.statistics = RunStatistics{};
  IntervalReport ran;
  ran.ran = true;
  ran.tests.resize(6);
  completed.intervals = ran;
  RunReport refusedIntervals = completed;
  refusedIntervals.intervals = IntervalReport{};
  refusedIntervals.intervals->message = "The first interval extends past the end of data";
  RunReport failed;
  failed.message = "Unable to open the file";
  RunReport stopped;
  stopped.outcome = RunOutcome::kStopped;

  const size_t columns = Commas(ResultsHeader());
  EXPECT_EQ(columns + 1, 32u + 6 * 5);
  for (const RunReport* report : {&completed, &refusedIntervals, &failed, &stopped}) {
    EXPECT_EQ(Commas(ResultRecord(request, *report)), columns) << ResultRecord(request, *report);
  }
  request.compareIntervals = false;
  EXPECT_EQ(Commas(ResultRecord(request, failed)), columns);

  // A message with a comma and quotes is one quoted field.
  failed.message = "Bad \"x\", here";
  const std::string record = ResultRecord(request, failed);
  EXPECT_NE(record.find(",failed,\"Bad \"\"x\"\", here\","), std::string::npos) << record;
}

}  // namespace
}  // namespace corvane
