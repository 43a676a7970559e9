#include "stats/echo_peaks.h"

#include <algorithm>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

namespace corvane {
namespace {

using Values = std::vector<double>;

TEST(EchoPeaksTest, StrictLocalMaximaOfTheSmoothedSeries) {
  // Peaks at 2 and 7; the plateau at 4-5 and the ends are no peaks.
  const Values smoothed = {5, 1, 3, 2, 4, 4, 1, 6, 0};
  const Values raw = {0.0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8};
  const EchoPeaks result = FindEchoPeaks(smoothed, raw, 100);
  ASSERT_EQ(result.peaks.size(), 2u);
  EXPECT_EQ(result.peaks[0].index, 2);
  EXPECT_EQ(result.peaks[0].magnitude, 0.2);
  EXPECT_EQ(result.peaks[1].index, 7);
  EXPECT_EQ(result.peaks[1].magnitude, 0.7);
  // Nothing lies after the event: no maximum and no mean.
  EXPECT_FALSE(result.hasMaximum);
  EXPECT_EQ(result.topCount, 0);
  EXPECT_EQ(result.topMean, -1.0);
}

TEST(EchoPeaksTest, StrongestAndMeanOfTheHighestAfterTheEvent) {
  // Peaks at every odd index; raw values rise and fall so that the highest
  // ones are neither first nor last.
  Values smoothed(41), raw(41);
  for (int i = 0; i < 41; ++i) {
    smoothed[i] = i % 2;
    raw[i] = 0.5 - 0.001 * (i - 25) * (i - 25);
  }
  const EchoPeaks result = FindEchoPeaks(smoothed, raw, 9);
  EXPECT_EQ(result.peaks.size(), 20u);  // 1, 3, ..., 39
  ASSERT_TRUE(result.hasMaximum);
  // Post-event peaks are those after index 9: the best are 25, 23 and 27.
  EXPECT_EQ(result.maximum.index, 25);
  EXPECT_EQ(result.maximum.magnitude, raw[25]);
  EXPECT_EQ(result.topCount, 3);
  EXPECT_DOUBLE_EQ(result.topMean, (raw[25] + raw[23] + raw[27]) / 3);
  // An event end at a peak's index excludes that peak.
  EXPECT_EQ(FindEchoPeaks(smoothed, raw, 25).maximum.index, 27);
}

TEST(EchoPeaksTest, FewerThanThreePostEventPeaksAreAveragedAsTheyAre) {
  const Values smoothed = {0, 1, 0, 2, 0, 1, 0};
  const Values raw = {0, 0.3, 0, 0.9, 0, 0.6, 0};
  const EchoPeaks one = FindEchoPeaks(smoothed, raw, 4);
  EXPECT_EQ(one.topCount, 1);
  EXPECT_DOUBLE_EQ(one.topMean, 0.6);
  const EchoPeaks two = FindEchoPeaks(smoothed, raw, 2);
  EXPECT_EQ(two.topCount, 2);
  EXPECT_DOUBLE_EQ(two.topMean, 0.75);
  EXPECT_EQ(two.maximum.index, 3);
}

TEST(EchoPeaksTest, HighestPeaksComeFromAllPeaksNotOnlyTheFirstThousand) {
  // 3000 post-event peaks whose highest values lie at the end.
  const int n = 6002;
  Values smoothed(n), raw(n);
  for (int i = 0; i < n; ++i) {
    smoothed[i] = i % 2;
    raw[i] = i * 1e-4;
  }
  const EchoPeaks result = FindEchoPeaks(smoothed, raw, 0);
  EXPECT_EQ(result.peaks.size(), 3000u);
  EXPECT_EQ(result.maximum.index, 5999);
  Values post;
  for (const EchoPeak& p : result.peaks) post.push_back(p.magnitude);
  std::sort(post.begin(), post.end(), std::greater<>());
  EXPECT_DOUBLE_EQ(result.topMean, (post[0] + post[1] + post[2]) / 3);
}

}  // namespace
}  // namespace corvane
