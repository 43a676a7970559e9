#include "stats/low_pass_variables.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "stats/smoothing_settings.h"
#include "support/recording_link.h"

namespace corvane {
namespace {

using testing::RecordingLink;
using Series = std::vector<double>;

struct Fixture {
  RecordingLink link;
  RunContext context{&link, &link};
  CompositeSeries series;

  Fixture(SmoothingMode mode, int window, double coefficient) {
    context.settings.dataName = "Quake";
    context.settings.smoothingMode = mode;
    context.settings.smoothingWindow = window;
    context.settings.expCoefficient = coefficient;
    series.meanDev = {0, -3, 2, -4, 6, -1};
    series.meanAbsDev = {5, 6, 4, 7, 6, 5};
    series.eggvar = {50, 40, 60, 45, 55, 50};
    series.maxAbsDev = {10, 12, 8, 14, 9, 11};
    series.eggCount.assign(6, 3);
  }
};

TEST(LowPassVariablesTest, ExponentialSeedsAndFilters) {
  Fixture f(kExponential, 900, 0.5);
  ComputeLowPassVariables(f.context, f.series, 10.5);
  EXPECT_EQ(f.series.lpdev[0], 0);
  EXPECT_EQ(f.series.lpadev[0], 5.63);
  EXPECT_EQ(f.series.lpvar[0], 50.0);
  EXPECT_EQ(f.series.lpmax[0], 10.5);
  EXPECT_EQ(f.series.lpdev[1], -1.5);
  EXPECT_EQ(f.series.alpdev[1], 1.5);
  EXPECT_EQ(f.series.lpmax[1], 0.5 * 12 + 0.5 * 10.5);
  EXPECT_FALSE(f.context.Aborted());
}

TEST(LowPassVariablesTest, WindowModesFilterEachArrayAndAlpdevIsNeverNegative) {
  for (SmoothingMode mode : {kExponential, kRectangle, kTriangle}) {
    SCOPED_TRACE(mode);
    Fixture f(mode, 2, 0.3);
    ComputeLowPassVariables(f.context, f.series, 10);
    for (double v : f.series.alpdev) EXPECT_GE(v, 0);
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(f.series.alpdev[i], std::fabs(f.series.lpdev[i]));
  }
  Fixture f(kRectangle, 2, 0);
  ComputeLowPassVariables(f.context, f.series, 0);
  EXPECT_DOUBLE_EQ(f.series.lpvar[1], 50);
  EXPECT_DOUBLE_EQ(f.series.lpmax[2], 34.0 / 3);
  EXPECT_DOUBLE_EQ(f.series.lpadev[4], 6);
  EXPECT_DOUBLE_EQ(f.series.lpdev[3], 4.0 / 3);
}

TEST(LowPassVariablesTest, StoppedRunSkipsWindowFiltersButNotTheExponential) {
  Fixture window(kTriangle, 4, 0);
  window.context.Abort();
  ComputeLowPassVariables(window.context, window.series, 0);
  EXPECT_EQ(window.series.lpvar, Series(6, 0.0));
  Fixture exponential(kExponential, 4, 0);
  exponential.context.Abort();
  ComputeLowPassVariables(exponential.context, exponential.series, 0);
  EXPECT_EQ(exponential.series.lpvar, Series(6, 50.0));
}

TEST(LowPassVariablesTest, WindowLongerThanTheDataStopsTheRunWithAMessage) {
  Fixture f(kRectangle, 6, 0);
  ComputeLowPassVariables(f.context, f.series, 0);
  EXPECT_TRUE(f.context.Aborted());
  EXPECT_EQ(
      f.link.messageTexts(),
      std::vector<std::string>{
          "Quake: The smoothing window of 6 (7 samples) is longer than the data (6 samples)"});
  EXPECT_EQ(f.series.lpdev.size(), 6u);
}

TEST(LowPassVariablesTest, RefusedSettingsStopTheRun) {
  Fixture f(kExponential, 900, 1.5);
  ComputeLowPassVariables(f.context, f.series, 0);
  EXPECT_TRUE(f.context.Aborted());
  ASSERT_EQ(f.link.messageTexts().size(), 1u);
}

TEST(SmoothingSettingsTest, RefusesWhatWouldReadOutOfBoundsOrDiverge) {
  EXPECT_FALSE(SmoothingSettingsError(kExponential, -5, 0.0));
  EXPECT_FALSE(SmoothingSettingsError(kExponential, 900, 1.0));
  EXPECT_TRUE(SmoothingSettingsError(kExponential, 900, 1.0001));
  EXPECT_TRUE(SmoothingSettingsError(kExponential, 900, -0.1));
  EXPECT_TRUE(SmoothingSettingsError(kExponential, 900, NAN));
  EXPECT_FALSE(SmoothingSettingsError(kRectangle, 0, 7));
  EXPECT_TRUE(SmoothingSettingsError(kRectangle, -1, 0.5));
  EXPECT_FALSE(SmoothingSettingsError(kTriangle, 2, 0.5));
  EXPECT_EQ(SmoothingSettingsError(kTriangle, 1, 0.5),
            "The triangle smoothing window must be at least 2");
  EXPECT_EQ(SmoothingSettingsError(3, 900, 0.5), "Unknown smoothing mode 3");
}

TEST(SmoothingSettingsTest, WindowLengthAgainstTheData) {
  EXPECT_FALSE(SmoothingWindowLengthError(kExponential, 900, 10));
  EXPECT_FALSE(SmoothingWindowLengthError(kRectangle, 900, 901));
  EXPECT_TRUE(SmoothingWindowLengthError(kRectangle, 900, 900));
  EXPECT_FALSE(SmoothingWindowLengthError(kTriangle, 899, 900));
  EXPECT_EQ(SmoothingWindowLengthError(kTriangle, 900, 899),
            "The smoothing window of 900 samples is longer than the data (899 samples)");
  EXPECT_TRUE(SmoothingWindowLengthError(kTriangle, 2147483647, 1000));
}

}  // namespace
}  // namespace corvane
