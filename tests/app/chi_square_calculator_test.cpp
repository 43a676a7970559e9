// The chi-square calculator: the upper tail of a deviation from the median,
// checked against Boost.Math, and its refusals.
#include <gtest/gtest.h>

#include <algorithm>

#include <boost/math/distributions/chi_squared.hpp>

#include "app/chi_square_calculator.h"
#include "app_test_support.h"

namespace corvane {
namespace {

double BoostUpperTail(double deviation, int k) {
  const boost::math::chi_squared distribution(k);
  const double median = boost::math::quantile(distribution, 0.5);
  return boost::math::cdf(boost::math::complement(distribution, median + deviation));
}

TEST(ChiSquareCalculatorTest, ProbabilityOfADeviationFromTheMedian) {
  for (const int k : {1, 2, 5, 30, 1000}) {
    SCOPED_TRACE(k);
    const ChiSquareResult zero = ChiSquareProbability(0.0, k);
    ASSERT_TRUE(zero.probability) << zero.error;
    EXPECT_NEAR(*zero.probability, 0.5, 1e-8);
    for (const double d : {-0.4, 1.0, 7.5, 40.0}) {
      const ChiSquareResult result = ChiSquareProbability(d, k);
      ASSERT_TRUE(result.probability) << result.error;
      const double expected = BoostUpperTail(d, k);
      EXPECT_NEAR(*result.probability, expected, 1e-8 * std::max(expected, 1e-300) + 1e-12);
    }
  }
}

TEST(ChiSquareCalculatorTest, InvalidInputGivesAMessageAndNoProbability) {
  testing::RecordingView view;
  ChiSquareCalculator calculator;
  EXPECT_EQ(calculator.probability, 0.0);
  // DF 0 when the calculator opens.
  calculator.Calculate(view);
  EXPECT_FALSE(calculator.probability);
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_NE(view.messages[0].text.find("DF"), std::string::npos);
  EXPECT_EQ(view.messages[0].caption, std::optional<std::string>(ChiSquareCalculator::kTitle));
  EXPECT_EQ(view.messages[0].kind, MessageKind::kWarning);

  // A deviation below minus the median makes the value negative.
  calculator.degreesOfFreedom = 2;
  calculator.deviation = -2.0;
  calculator.Calculate(view);
  EXPECT_FALSE(calculator.probability);
  ASSERT_EQ(view.messages.size(), 2u);
  EXPECT_NE(view.messages[1].text.find("negative"), std::string::npos);

  // A field the view refuses stops the calculation, and the result of the
  // earlier input is no longer shown beside it.
  calculator.deviation = 1.0;
  calculator.Calculate(view);
  ASSERT_TRUE(calculator.probability);
  view.onPull = [&calculator] {
    calculator.deviation = 5.0;  // read before the refused field
    return false;
  };
  calculator.Calculate(view);
  EXPECT_FALSE(calculator.probability);
  EXPECT_EQ(view.messages.size(), 2u);  // the view showed its own message
}

}  // namespace
}  // namespace corvane
