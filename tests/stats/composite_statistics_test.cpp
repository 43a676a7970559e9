#include "stats/composite_statistics.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "support/recording_link.h"
#include "support/sample_table.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::MakeSampleTable;
using testing::ReadFile;
using testing::RecordingLink;
using testing::TempDir;

constexpr std::int32_t kMissing = kMissingSample;

struct Fixture {
  RecordingLink link;
  RunContext context{&link, &link};
  CompositeSeries series;
  Fixture() { context.settings.dataName = "Quake"; }
};

void ExpectNear(double actual, double expected) {
  EXPECT_NEAR(actual, expected, 1e-12 * std::max(1.0, std::fabs(expected)));
}

TEST(CompositeStatisticsTest, SingleEggOf110) {
  Fixture f;
  const EggSampleTable table = MakeSampleTable({{110}});
  ComputeStatistics(f.context, table, f.series);
  ASSERT_EQ(f.series.size(), 1u);
  EXPECT_EQ(f.series.eggCount[0], 1);
  EXPECT_DOUBLE_EQ(f.series.stoufZ[0], 10 / std::sqrt(50.0));
  EXPECT_EQ(f.series.meanDev[0], 10);
  EXPECT_EQ(f.series.meanAbsDev[0], 10);
  EXPECT_EQ(f.series.maxAbsDev[0], 10);
  EXPECT_EQ(f.series.eggvar[0], 0);
  EXPECT_EQ(f.series.cvar[0], -50);
  EXPECT_TRUE(std::isnan(f.series.covar[0])) << "covar needs two eggs";
  EXPECT_EQ(f.series.useableEggs, 1);
  EXPECT_FALSE(f.context.Aborted());
}

TEST(CompositeStatisticsTest, OddTrialSizeUsesTheIntegerHalfForTheMeanAndFiftyForCvar) {
  Fixture f;
  // N = 201: deviations use N/2 = 100.5, the mean deviation the integer 100.
  const EggSampleTable table = MakeSampleTable({{110, 90}, {103, 100}}, 201);
  ComputeStatistics(f.context, table, f.series);
  EXPECT_DOUBLE_EQ(f.series.meanDev[0], 6.5);
  EXPECT_DOUBLE_EQ(f.series.meanAbsDev[0], (9.5 + 2.5) / 2);
  EXPECT_DOUBLE_EQ(f.series.stoufZ[0], 6.5 / (std::sqrt(201 * 0.25) / std::sqrt(2.0)));
  EXPECT_DOUBLE_EQ(f.series.cvar[1], f.series.eggvar[0] + f.series.eggvar[1] - 100);
}

TEST(CompositeStatisticsTest, OnlyValidCellsTakePart) {
  Fixture f;
  EggSampleTable table =
      MakeSampleTable({{110, 120, 90}, {100, kMissing, 80}, {130, 130, 130}, {70, 70, 70}});
  table.columns[2].selected = 0;     // deselected: never used, not usable
  table.columns[3].storedCount = 2;  // incomplete: never used, not usable
  ComputeStatistics(f.context, table, f.series);
  EXPECT_EQ(f.series.useableEggs, 2);
  EXPECT_EQ(f.series.eggCount, (std::vector<std::int32_t>{2, 1, 2}));
  ExpectNear(f.series.meanDev[0], 5);
  ExpectNear(f.series.meanDev[1], 20);  // the missing value drops egg 1 at this sample only
  ExpectNear(f.series.maxAbsDev[2], 20);
}

TEST(CompositeStatisticsTest, SamplesWithoutValidEggsAddNothing) {
  Fixture f;
  const EggSampleTable table =
      MakeSampleTable({{110, kMissing, 120, 90}, {104, kMissing, kMissing, 96}});
  ComputeStatistics(f.context, table, f.series);
  EXPECT_EQ(f.series.eggCount[1], 0);
  for (const auto* array : {&f.series.meanDev, &f.series.stoufZ, &f.series.meanAbsDev,
                            &f.series.maxAbsDev, &f.series.eggvar, &f.series.covar}) {
    EXPECT_TRUE(std::isnan((*array)[1]));
  }
  EXPECT_TRUE(std::isnan(f.series.covar[2])) << "one valid egg";
  EXPECT_EQ(f.series.cvar[1], f.series.cvar[0]);
  ExpectNear(f.series.cvar[3], 18 - 50 + 0 - 50 + 18 - 50);
  ExpectNear(f.series.meanMaxAbsDev, (10 + 20 + 10) / 3.0);
  for (const auto* array :
       {&f.series.lpdev, &f.series.alpdev, &f.series.lpadev, &f.series.lpvar, &f.series.lpmax}) {
    for (double v : *array) EXPECT_FALSE(std::isnan(v));
  }
  // The exponential filter carries its value over the empty sample.
  EXPECT_EQ(f.series.lpdev[1], f.series.lpdev[0]);
  EXPECT_EQ(f.series.lpvar[1], f.series.lpvar[0]);
}

TEST(CompositeStatisticsTest, ReportsAndSmoothsInOrder) {
  Fixture f;
  f.context.SetJobStage(3);
  const EggSampleTable table = MakeSampleTable({{100, 101}});
  ComputeStatistics(f.context, table, f.series);
  EXPECT_EQ(f.context.JobStage(), 1);
  EXPECT_EQ(f.link.statuses(), std::vector<std::string>{"Smoothing data"});
  EXPECT_EQ(f.series.lpvar.size(), 2u);
  EXPECT_EQ(f.series.lpvar[0], 50.0);
  EXPECT_TRUE(f.link.messages().empty());
}

TEST(CompositeStatisticsTest, NoUseableEggsInteractiveAndBatch) {
  for (bool batch : {false, true}) {
    SCOPED_TRACE(batch);
    TempDir dir;
    Fixture f;
    f.context.settings.batchMode = batch;
    f.context.settings.rootDirectory = dir.path();
    EggSampleTable table = MakeSampleTable({{100, 101}, {99, 98}});
    table.columns[0].selected = 0;
    table.columns[1].storedCount = 1;
    ComputeStatistics(f.context, table, f.series);
    EXPECT_TRUE(f.context.Aborted());
    EXPECT_EQ(f.series.useableEggs, 0);
    EXPECT_EQ(f.series.eggCount, (std::vector<std::int32_t>{0, 0})) << "no sample was computed";
    EXPECT_EQ(f.link.statuses(), std::vector<std::string>{"Smoothing data"});
    if (batch) {
      EXPECT_TRUE(f.link.messages().empty());
      EXPECT_EQ(ReadFile(dir.File("summary.tst")), "Quake: No useable eggs\n");
    } else {
      ASSERT_EQ(f.link.messageTexts(), std::vector<std::string>{"Quake: No useable eggs"});
      EXPECT_FALSE(testing::FileExists(dir.File("summary.tst")));
    }
  }
}

TEST(CompositeStatisticsTest, StopEndsThePassAndReleasesEarlierResults) {
  Fixture f;
  ComputeStatistics(f.context, MakeSampleTable({{110, 111, 112}}), f.series);
  f.context.Abort();
  ComputeStatistics(f.context, MakeSampleTable({{90, 91}}), f.series);
  EXPECT_EQ(f.series.size(), 2u);
  EXPECT_EQ(f.series.eggCount[0], 0) << "the stopped pass computed nothing";
  EXPECT_EQ(f.series.meanDev[0], 0);
}

TEST(CompositeStatisticsTest, SampleVarianceRoutine) {
  const double values[] = {1, 2, 3, 4};
  EXPECT_DOUBLE_EQ(SampleVariance(values, 4), 5.0 / 3.0);
  EXPECT_EQ(SampleVariance(values, 1), 0);
  EXPECT_EQ(SampleVariance(values, 0), 0);
}

}  // namespace
}  // namespace corvane
