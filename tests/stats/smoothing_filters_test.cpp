#include "stats/smoothing_filters.h"

#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace corvane {
namespace {

using Series = std::vector<double>;

Series Rectangle(int window, const Series& in) {
  Series out(in.size(), -1);
  EXPECT_TRUE(RectangleFilter(window, in.data(), out.data(), static_cast<int>(in.size())));
  return out;
}

Series Triangle(int window, const Series& in) {
  Series out(in.size(), -1);
  EXPECT_TRUE(TriangleFilter(window, in.data(), out.data(), static_cast<int>(in.size())));
  return out;
}

Series RandomSeries(int n, unsigned seed) {
  std::mt19937 engine(seed);
  std::normal_distribution<double> normal(0.0, 3.0);
  Series values(static_cast<size_t>(n));
  for (double& v : values) v = normal(engine);
  return values;
}

TEST(ExponentialFilterTest, CoefficientOneFollowsTheInputAndZeroKeepsTheSeed) {
  const Series in = {7, 1, -2, 5};
  Series out(4);
  ExponentialFilter(1.0, 0.0, in.data(), out.data(), 4);
  EXPECT_EQ(out, (Series{0, 1, -2, 5}));
  ExponentialFilter(0.0, 5.63, in.data(), out.data(), 4);
  EXPECT_EQ(out, (Series{5.63, 5.63, 5.63, 5.63}));
  ExponentialFilter(0.25, 2.0, in.data(), out.data(), 4);
  EXPECT_DOUBLE_EQ(out[1], 0.25 * 1 + 0.75 * 2);
  EXPECT_DOUBLE_EQ(out[3], 0.25 * 5 + 0.75 * out[2]);
  ExponentialFilter(0.5, 1.0, in.data(), out.data(), 0);  // nothing to seed
}

TEST(ExponentialFilterTest, CarriesItsValueOverUndefinedSamples) {
  const Series in = {0, 4, NAN, NAN, 8};
  Series out(5);
  ExponentialFilter(0.5, 0.0, in.data(), out.data(), 5);
  EXPECT_EQ(out, (Series{0, 2, 2, 2, 5}));
}

TEST(RectangleFilterTest, WindowThreeOnOneToFive) {
  EXPECT_EQ(Rectangle(3, {1, 2, 3, 4, 5}), (Series{2, 2, 3, 4, 4}));
  EXPECT_EQ(Rectangle(2, {1, 2, 3, 4, 5}), (Series{2, 2, 3, 4, 4}))
      << "an even window grows by one";
  EXPECT_EQ(RectangleSpan(900), 901);
  EXPECT_EQ(RectangleSpan(0), 1);
}

TEST(RectangleFilterTest, WindowZeroReproducesTheInput) {
  const Series in = RandomSeries(50, 1);
  const Series out = Rectangle(0, in);
  for (size_t i = 0; i < in.size(); ++i) EXPECT_NEAR(out[i], in[i], 1e-12);
}

TEST(RectangleFilterTest, MatchesCentredMeansWithFlatEnds) {
  const Series in = RandomSeries(200, 2);
  const int h = 7;
  const Series out = Rectangle(14, in);
  for (int i = 0; i < 200; ++i) {
    const int centre = std::clamp(i, h, 200 - h - 1);
    double sum = 0;
    for (int k = centre - h; k <= centre + h; ++k) sum += in[static_cast<size_t>(k)];
    EXPECT_NEAR(out[static_cast<size_t>(i)], sum / (2 * h + 1), 1e-12) << i;
  }
}

TEST(RectangleFilterTest, AveragesOnlyDefinedSamples) {
  EXPECT_EQ(Rectangle(3, {1, NAN, 3, 5, 5}), (Series{2, 2, 4, 13.0 / 3, 13.0 / 3}));
  // A window without any defined sample carries the value before it; a
  // leading one takes the first value that follows.
  EXPECT_EQ(Rectangle(3, {NAN, NAN, NAN, 6, NAN, NAN, NAN, 9, 9}),
            (Series{6, 6, 6, 6, 6, 6, 9, 9, 9}));
  EXPECT_EQ(Rectangle(1, {NAN, NAN, NAN}), (Series{0, 0, 0}));
}

TEST(TriangleFilterTest, WindowFourOnZeroToThirty) {
  EXPECT_EQ(TriangleWeights(4), (Series{1.0 / 6, 2.0 / 6, 2.0 / 6, 1.0 / 6}));
  const Series out = Triangle(4, {0, 6, 12, 18, 24, 30});
  const Series expected = {9, 9, 9, 15, 15, 15};
  for (size_t i = 0; i < 6; ++i) EXPECT_NEAR(out[i], expected[i], 1e-12) << i;
}

TEST(TriangleFilterTest, AnOddWindowGrowsByOne) {
  EXPECT_EQ(TriangleSpan(5), 6);
  EXPECT_EQ(TriangleSpan(4), 4);
  const Series in = RandomSeries(40, 3);
  EXPECT_EQ(Triangle(5, in), Triangle(6, in));
}

TEST(TriangleFilterTest, MatchesWeightedWindowsWithFlatEnds) {
  const Series in = RandomSeries(120, 4);
  const int h = 5;
  const Series out = Triangle(2 * h, in);
  for (int j = 0; j < 120; ++j) {
    const int centre = std::clamp(j, h, 120 - h - 1);
    double sum = 0;
    for (int k = 0; k < 2 * h; ++k) {
      const int weight = k < h ? k + 1 : 2 * h - k;
      sum += weight * in[static_cast<size_t>(centre - h + k)];
    }
    EXPECT_NEAR(out[static_cast<size_t>(j)], sum / (h * (h + 1)), 1e-12) << j;
  }
}

TEST(TriangleFilterTest, RenormalisesOverDefinedSamples) {
  // Weights 1,2,2,1 (/6); the window of out[2] is in[0..3].
  const Series out = Triangle(4, {6, NAN, 12, 18, 24, 30});
  EXPECT_NEAR(out[2], (1 * 6.0 + 2 * 12.0 + 1 * 18.0) / 4, 1e-12);
  EXPECT_NEAR(out[3], (2 * 12.0 + 2 * 18.0 + 1 * 24.0) / 5, 1e-12);
  EXPECT_EQ(out[0], out[2]);
  EXPECT_EQ(out[5], out[3]);
}

TEST(WindowFilterTest, RefusesWindowsThatDoNotFitAndWritesNothing) {
  const Series in = {1, 2, 3, 4};
  Series out(4, -1);
  EXPECT_FALSE(RectangleFilter(4, in.data(), out.data(), 4));  // span 5
  EXPECT_FALSE(RectangleFilter(-1, in.data(), out.data(), 4));
  EXPECT_FALSE(TriangleFilter(5, in.data(), out.data(), 4));  // span 6
  EXPECT_FALSE(TriangleFilter(1, in.data(), out.data(), 4));
  EXPECT_FALSE(TriangleFilter(0, in.data(), out.data(), 4));
  EXPECT_EQ(out, (Series{-1, -1, -1, -1}));
  EXPECT_TRUE(TriangleWeights(3).empty());
  // A window exactly as long as the data is one flat full window.
  EXPECT_EQ(Rectangle(3, {1, 2, 6}), (Series{3, 3, 3}));
  EXPECT_EQ(Triangle(4, {6, 6, 12, 12}), (Series{9, 9, 9, 9}));
}

TEST(RemoveMeanTest, SubtractsAndReturnsTheMean) {
  Series values = {1, 2, 3, 6};
  Series out(4);
  EXPECT_EQ(RemoveMean(out.data(), values.data(), 4), 3);
  EXPECT_EQ(out, (Series{-2, -1, 0, 3}));
  EXPECT_EQ(RemoveMean(values.data(), values.data(), 4), 3) << "in place";
  EXPECT_EQ(values, out);
  EXPECT_EQ(RemoveMean(out.data(), values.data(), 0), 0);
}

}  // namespace
}  // namespace corvane
