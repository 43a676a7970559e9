#include "output/summary_tables.h"

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "core/c_format.h"
#include "output/csv_table.h"
#include "output/results_table.h"
#include "support/run_folders.h"

namespace corvane {
namespace {

using testing::ReadFile;
using Strings = std::vector<std::string>;

struct TablesTest : ::testing::Test, testing::RunFolders {
  EggSampleTable table;
  CompositeSeries series;

  TablesTest() {
    context.settings.compareIntervals = true;
    context.settings.interval2Start = 50;
    context.settings.intervalDuration = 40;
    table.sampleCount = 100;
    series.eggCount.assign(100, 12);
    for (size_t v = 0; v < kComparedVariables.size(); ++v) {
      for (int i = 0; i < 100; ++i) {
        (series.*(kComparedVariables[v].values))
            .push_back(10.0 * (v + 1) + std::cos(i * (v + 2.0)) + i / 80.0);
      }
    }
    series.eggvar[20] = NAN;  // a second without a valid egg in the first interval
    series.useableEggs = 12;
    series.lastCumulativeDeviation = 3.25;
    series.finalStoufferProb = 0.875;
    series.finalStoufferDegrees = 97;  // three samples without a valid egg
  }
  std::string Summary() const { return ReadFile(root.path() + "summary.tst"); }
  static IntervalComparison Compared(const CompositeSeries& series, int start1) {
    return std::get<IntervalComparison>(CompareSeriesIntervals(series, start1, 50, 40));
  }
  // The heading and a run line for the first interval at start1.
  std::string Heading(int start1) const {
    return CFormat(
        "Root directory: %s\ninterval1Start %d\ninterval2Start 50\nintervalDuration "
        "40\nExponential smoothing window - Coeff= 0.001000\n\n%s\n\n",
        root.path().c_str(), start1, kSummaryColumnHeading);
  }
  std::string RunLine(const std::string& name, int start1) const {
    std::string line = name + "\t12\t3.250000\t97\t0.125000\t";
    for (const TTestResult& test : Compared(series, start1).tests) {
      line += CFormat("%f\t%f\t%f\t", test.mean1, test.mean2, test.mean2 - test.mean1);
    }
    return line + "\n";
  }
};

TEST_F(TablesTest, StatisticsTableLinesInOrder) {
  // The input's notes follow the egg count; absent subgroup eggs are noted
  // in the information file only.
  table.skippedRecords = 3;
  table.missingSeconds = 7;
  table.absentSubgroupIds = {1001};
  CompareIntervals(context, table, series);
  table.skippedRecords = table.missingSeconds = 0;
  EXPECT_TRUE(link.messages().empty());
  std::string expected =
      "interval1Start 0\ninterval2Start 50\nintervalDuration 40\nuseableEggs 12\n"
      "skippedRecords 3\nmissingSeconds 7\nExponential smoothing window - Coeff= 0.001000\n\ntDF "
      "78\n";
  const char* names[] = {"cvar", "eggvar", "lpvar", "alpdev", "lpadev", "lpmax"};
  const IntervalComparison comparison = Compared(series, 0);
  for (size_t v = 0; v < 6; ++v) {
    const TTestResult& test = comparison.tests[v];
    expected += CFormat("\ninterval1Mean_%s %f\ninterval2Mean_%s %f\nt-value %f\ntProb %f\n",
                        names[v], test.mean1, names[v], test.mean2, test.t, test.prob);
    // The undefined second leaves 39 + 40 values: 77 degrees of freedom.
    if (v == 1) expected += "tDF_eggvar 77\n";
  }
  expected +=
      "\nNote: the t-tests of the filtered and cumulative variables (cvar, lpvar, alpdev, lpadev, "
      "lpmax) are not valid significance tests, as their samples are dependent; the test of the "
      "unfiltered eggvar remains valid.\n";
  EXPECT_EQ(ReadFile(Output("Quake.tst")), expected);
  EXPECT_EQ(Summary(), "") << "only batch runs add to the summary";
  context.settings.outputDirectory = root.path() + "missing/";
  CompareIntervals(context, table, series);
  EXPECT_EQ(link.messageTexts(), Strings{"Failed to open statistics tst file for output"});
  context.settings.outputDirectory = root.path() + "Quake/";

  // The smoothing and event echo lines.
  AnalysisSettings& s = context.settings;
  s.smoothingWindow = 600;
  series.echoVariableName = "lpvar";
  series.echoPeakMean = 0.4375;
  const std::string echo = "Event echo method: Cosine\nEvent echo variable: lpvar\n";
  const struct {
    SmoothingMode mode;
    int method, eventTime, duration, peaks;
    std::string lines;  // from the fifth line on, up to the empty line before "tDF"
  } cases[] = {
      {kTriangle, kEchoEuclidean, 1300000000, 0, 2,
       "Triangular smoothing window - width= 600\n\nEvent echo method: Euclidean distance\n"
       "Event echo variable: lpvar\nMean of 2 highest EventEcho peaks= 0.437500\n"},
      {kRectangle, kEchoCorrelation, 1300000000, 0, 0,
       "Rectangular smoothing window - width= 600\n\n" + echo},
      {kRectangle, kEchoNone, 0, 3600, 0, "Rectangular smoothing window - width= 600\n\n" + echo},
      {kRectangle, kEchoCorrelation, 0, 0, 0, "Rectangular smoothing window - width= 600\n\n"},
  };
  for (const auto& c : cases) {
    s.smoothingMode = c.mode;
    s.echoMethod = c.method;
    s.eventTime = c.eventTime;
    s.eventDuration = c.duration;
    series.echoPeakCount = c.peaks;
    CompareIntervals(context, table, series);
    const std::string text = ReadFile(Output("Quake.tst"));
    const size_t from = text.find("useableEggs 12\n") + 15;
    EXPECT_EQ(text.substr(from, text.find("\ntDF") - from), c.lines);
  }

  // At two seconds per sample the interval settings, seconds from the first
  // sample, start at half their value and span half the duration, rounded
  // up; the table shows the settings as given.
  table.resolution = 2;
  s.interval1Start = 21;
  s.interval2Start = 101;
  s.intervalDuration = 79;
  const std::vector<std::string> earlier = link.messageTexts();
  CompareIntervals(context, table, series);
  EXPECT_EQ(link.messageTexts(), earlier);
  const std::string text = ReadFile(Output("Quake.tst"));
  EXPECT_EQ(text.substr(0, text.find("useableEggs")),
            "interval1Start 21\ninterval2Start 101\nintervalDuration 79\n");
  const IntervalComparison halves = Compared(series, 10);  // samples 10 and 50, 40 each
  EXPECT_NE(text.find("\ntDF 78\n\ninterval1Mean_cvar " + CFormat("%f", halves.tests[0].mean1)),
            std::string::npos);
  EXPECT_NE(text.find(CFormat("interval2Mean_lpmax %f\nt-value %f\n", halves.tests[5].mean2,
                              halves.tests[5].t)),
            std::string::npos);
  // Two seconds are one sample: too few for a variance.
  s.intervalDuration = 2;
  CompareIntervals(context, table, series);
  std::vector<std::string> messages = earlier;
  messages.push_back("The interval duration must be at least 3 seconds at 2 seconds per sample");
  EXPECT_EQ(link.messageTexts(), messages);
}

TEST_F(TablesTest, SummaryHeadingOnceEvenAfterAFailedFirstItemAndRunErrors) {
  context.settings.batchMode = true;
  context.settings.dataName = "Broken";
  context.settings.interval1Start = -1;  // refused: the table gets a line but no heading
  CompareIntervals(context, table, series);
  EXPECT_FALSE(testing::FileExists(Output("Broken.tst")));
  context.settings.dataName = "Quake";
  context.settings.interval1Start = 0;
  CompareIntervals(context, table, series);
  context.settings.interval1Start = 10;  // later runs keep the first heading
  context.RunError("Failed");
  CompareIntervals(context, table, series);
  EXPECT_EQ(Summary(), "Broken: " + *IntervalSettingsError(-1, 50, 40) + "\n" + Heading(0) +
                           RunLine("Quake", 0) + "Quake: Failed\n" + RunLine("Quake", 10));
  const std::string line = RunLine("Quake", 10);
  EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 23);
}

// A results record has one field per column whatever the run's outcome, a
// compared run's record holds each variable's mean1, mean2, t, df and p as
// the comparison computed them, and a text that holds the separator stays
// one field.
using ResultsTableTest = TablesTest;
TEST_F(ResultsTableTest, EveryRecordHasAFieldPerColumn) {
  ResultRequest request;
  request.dataName = "Quake";
  request.compareIntervals = true;
  RunReport completed;
  completed.outcome = RunOutcome::kCompleted;
  completed.statistics = RunStatistics{};
  completed.intervals = CompareIntervals(context, table, series);
  std::string tests;
  for (const TTestResult& test : Compared(series, 0).tests) {
    tests += "," + CsvRecord({CsvNumber(test.mean1), CsvNumber(test.mean2), CsvNumber(test.t),
                              CsvInteger(test.df), CsvNumber(test.prob)});
  }
  const std::string record = ResultRecord(request, completed);
  ASSERT_GT(record.size(), tests.size());
  EXPECT_EQ(record.substr(record.size() - tests.size()), tests);
  RunReport refusedIntervals = completed;
  refusedIntervals.intervals = IntervalReport{};
  refusedIntervals.intervals->message = "The first interval extends past the end of data";
  RunReport failed;
  failed.message = "Unable to open the file";
  RunReport stopped;
  stopped.outcome = RunOutcome::kStopped;

  auto commas = [](const std::string& text) { return std::count(text.begin(), text.end(), ','); };
  const auto columns = commas(ResultsHeader());
  EXPECT_EQ(columns + 1, 32 + 6 * 5);
  for (const RunReport* report : {&completed, &refusedIntervals, &failed, &stopped}) {
    EXPECT_EQ(commas(ResultRecord(request, *report)), columns) << ResultRecord(request, *report);
  }
  // A run without results has no run values: their fields are empty.
  EXPECT_NE(ResultRecord(request, failed).find(",failed,Unable to open the file,,,,,,,,,,,1,"),
            std::string::npos);
  EXPECT_NE(ResultRecord(request, stopped).find(",stopped,,,,,,,,,,,,1,"), std::string::npos);
  request.compareIntervals = false;
  EXPECT_EQ(commas(ResultRecord(request, failed)), columns);

  // A message with a comma and quotes is one quoted field.
  failed.message = "Bad \"x\", here";
  const std::string quoted = ResultRecord(request, failed);
  EXPECT_NE(quoted.find(",failed,\"Bad \"\"x\"\", here\","), std::string::npos) << quoted;
}

}  // namespace
}  // namespace corvane
