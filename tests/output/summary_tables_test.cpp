#include "output/summary_tables.h"

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/c_format.h"
#include "support/run_folders.h"
#include "support/text_lines.h"

namespace corvane {
namespace {

using testing::Lines;
using testing::ReadFile;

struct TablesFixture : ::testing::Test, testing::RunFolders {
  EggSampleTable table;
  CompositeSeries series;

  TablesFixture() {
    AnalysisSettings& s = context.settings;
    s.compareIntervals = true;
    s.interval1Start = 0;
    s.interval2Start = 50;
    s.intervalDuration = 40;
    const int n = 100;
    table.sampleCount = n;
    series.eggCount.assign(n, 12);
    int v = 0;
    for (const ComparedVariable& variable : kComparedVariables) {
      std::vector<double>& values = series.*(variable.values);
      for (int i = 0; i < n; ++i)
        values.push_back(10.0 * (v + 1) + std::cos(i * (v + 2.0)) + i / 80.0);
      ++v;
    }
    series.useableEggs = 12;
    series.lastCumulativeDeviation = 3.25;
    series.finalStoufferProb = 0.875;
    series.finalStoufferDegrees = 97;  // three samples without a valid egg
  }
  std::string TstPath() const { return context.settings.outputDirectory + "Quake.tst"; }
  std::string SummaryPath() const { return root.path() + "summary.tst"; }
  IntervalComparison Compare() const {
    return std::get<IntervalComparison>(
        CompareSeriesIntervals(series, context.settings.interval1Start,
                               context.settings.interval2Start, context.settings.intervalDuration));
  }
  std::string RunLine(const std::string& name) const {
    std::string line = CFormat("%s\t12\t3.250000\t97\t0.125000\t", name.c_str());
    for (const TTestResult& test : Compare().tests) {
      line += CFormat("%f\t%f\t%f\t", test.mean1, test.mean2, test.mean2 - test.mean1);
    }
    return line;
  }
  std::vector<std::string> HeadingLines() const {
    return {"Root directory: " + root.path(),
            "interval1Start 0",
            "interval2Start 50",
            "intervalDuration 40",
            "Exponential smoothing window - Coeff= 0.001000",
            "",
            kSummaryColumnHeading,
            ""};
  }
};

TEST_F(TablesFixture, StatisticsTableLinesInOrder) {
  CompareIntervals(context, table, series);
  EXPECT_TRUE(link.messages().empty());
  const IntervalComparison comparison = Compare();
  std::vector<std::string> expected = {"interval1Start 0",
                                       "interval2Start 50",
                                       "intervalDuration 40",
                                       "useableEggs 12",
                                       "Exponential smoothing window - Coeff= 0.001000",
                                       "",
                                       "tDF 78"};
  const char* names[] = {"cvar", "eggvar", "lpvar", "alpdev", "lpadev", "lpmax"};
  for (int v = 0; v < 6; ++v) {
    expected.push_back("");
    expected.push_back(CFormat("interval1Mean_%s %f", names[v], comparison.tests[v].mean1));
    expected.push_back(CFormat("interval2Mean_%s %f", names[v], comparison.tests[v].mean2));
    expected.push_back(CFormat("t-value %f", comparison.tests[v].t));
    expected.push_back(CFormat("tProb %f", comparison.tests[v].prob));
  }
  EXPECT_EQ(Lines(ReadFile(TstPath())), expected);
  // The means are those of the variable's own samples.
  double sum = 0;
  for (int i = 50; i < 90; ++i) sum += series.lpvar[i];
  EXPECT_EQ(expected[19], CFormat("interval2Mean_lpvar %f", sum / 40));
  // Interactive runs add nothing to the summary table.
  EXPECT_FALSE(testing::FileExists(SummaryPath()));
}

TEST_F(TablesFixture, EventEchoLinesOfTheStatisticsTable) {
  AnalysisSettings& s = context.settings;
  s.smoothingMode = kTriangle;
  s.smoothingWindow = 600;
  s.echoMethod = kEchoEuclidean;
  s.eventTime = 1300000000;
  series.echoVariableName = "lpvar";
  series.echoPeakCount = 2;
  series.echoPeakMean = 0.4375;
  CompareIntervals(context, table, series);
  std::vector<std::string> lines = Lines(ReadFile(TstPath()));
  ASSERT_GE(lines.size(), 11u);
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 4, lines.begin() + 11),
            (std::vector<std::string>{
                "Triangular smoothing window - width= 600", "",
                "Event echo method: Euclidean distance", "Event echo variable: lpvar",
                "Mean of 2 highest EventEcho peaks= 0.437500", "", "tDF 78"}));

  // Correlation without peaks after the event: no mean line. A duration
  // alone brings the lines even without an echo method.
  s.smoothingMode = kRectangle;
  s.echoMethod = kEchoCorrelation;
  series.echoPeakCount = 0;
  CompareIntervals(context, table, series);
  lines = Lines(ReadFile(TstPath()));
  EXPECT_EQ(
      std::vector<std::string>(lines.begin() + 4, lines.begin() + 9),
      (std::vector<std::string>{"Rectangular smoothing window - width= 600", "",
                                "Event echo method: Cosine", "Event echo variable: lpvar", ""}));
  s.echoMethod = kEchoNone;
  s.eventDuration = 3600;
  series.echoVariableName.clear();
  CompareIntervals(context, table, series);
  lines = Lines(ReadFile(TstPath()));
  EXPECT_EQ(lines[6], "Event echo method: Cosine");
  EXPECT_EQ(lines[7], "Event echo variable: ");
  s.eventDuration = 0;
  CompareIntervals(context, table, series);
  lines = Lines(ReadFile(TstPath()));
  EXPECT_EQ(lines[6], "");
  EXPECT_EQ(lines[7], "tDF 78");
}

TEST_F(TablesFixture, SummaryHeadingOnceAndAgainAfterDeletion) {
  context.settings.batchMode = true;
  CompareIntervals(context, table, series);
  context.settings.dataName = "Quake2";
  context.settings.outputDirectory = context.settings.rootDirectory;
  context.settings.interval1Start = 10;  // later runs keep the first heading
  CompareIntervals(context, table, series);
  std::vector<std::string> expected = HeadingLines();
  context.settings.interval1Start = 0;
  expected.push_back(RunLine("Quake"));
  context.settings.interval1Start = 10;
  expected.push_back(RunLine("Quake2"));
  EXPECT_EQ(Lines(ReadFile(SummaryPath())), expected);

  std::filesystem::remove(SummaryPath());
  context.settings.interval1Start = 0;
  context.settings.dataName = "Quake3";
  CompareIntervals(context, table, series);
  expected = HeadingLines();
  expected.push_back(RunLine("Quake3"));
  EXPECT_EQ(Lines(ReadFile(SummaryPath())), expected);
}

TEST_F(TablesFixture, SummaryHeadingFollowsRunErrorLines) {
  context.settings.batchMode = true;
  context.settings.dataName = "Broken";
  context.RunError("No useable records");
  context.settings.dataName = "Quake";
  CompareIntervals(context, table, series);
  std::vector<std::string> expected = {"Broken: No useable records"};
  for (const std::string& line : HeadingLines()) expected.push_back(line);
  expected.push_back(RunLine("Quake"));
  EXPECT_EQ(Lines(ReadFile(SummaryPath())), expected);
  // A later run error does not bring the heading back.
  context.RunError("Failed");
  CompareIntervals(context, table, series);
  expected.push_back("Quake: Failed");
  expected.push_back(RunLine("Quake"));
  EXPECT_EQ(Lines(ReadFile(SummaryPath())), expected);
}

TEST_F(TablesFixture, RefusedIntervalsWriteNoTable) {
  context.settings.batchMode = true;
  context.settings.interval2Start = 61;
  CompareIntervals(context, table, series);
  context.settings.interval2Start = 60;
  context.settings.intervalDuration = 1;
  CompareIntervals(context, table, series);
  context.settings.intervalDuration = 40;
  context.settings.interval1Start = 70;
  CompareIntervals(context, table, series);
  EXPECT_FALSE(testing::FileExists(TstPath()));
  // In batch mode the messages become summary lines, without a heading.
  EXPECT_EQ(Lines(ReadFile(SummaryPath())),
            (std::vector<std::string>{"Quake: The second interval extends past the end of data",
                                      "Quake: " + *IntervalSettingsError(0, 60, 1),
                                      "Quake: The first interval extends past the end of data"}));
  // Interval comparison off, or a stopped run: nothing at all.
  std::filesystem::remove(SummaryPath());
  context.settings.interval1Start = 0;
  context.settings.compareIntervals = false;
  CompareIntervals(context, table, series);
  context.settings.compareIntervals = true;
  context.Abort();
  CompareIntervals(context, table, series);
  EXPECT_FALSE(testing::FileExists(TstPath()));
  EXPECT_FALSE(testing::FileExists(SummaryPath()));
}

TEST_F(TablesFixture, UnwritableStatisticsTableIsReportedAndNoSummaryLine) {
  context.settings.batchMode = false;
  context.settings.outputDirectory = root.path() + "missing/";
  CompareIntervals(context, table, series);
  EXPECT_EQ(link.messageTexts(),
            std::vector<std::string>{"Failed to open statistics tst file for output"});
  context.settings.batchMode = true;
  CompareIntervals(context, table, series);
  EXPECT_EQ(Lines(ReadFile(SummaryPath())),
            std::vector<std::string>{"Quake: Failed to open statistics tst file for output"});
}

}  // namespace
}  // namespace corvane
