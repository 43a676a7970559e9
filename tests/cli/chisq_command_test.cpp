// corvane-cli chisq, end to end: the calculator's probability on standard
// output, its refusals on standard error with a non-zero exit.
#include <gtest/gtest.h>

#include <cmath>

#include "cli/cli_options.h"
#include "cli_fixture.h"
#include "core/c_format.h"

namespace corvane {
namespace {

using testing::CliTest;
using testing::ProgramResult;

class ChisqCommandTest : public CliTest {};

TEST_F(ChisqCommandTest, PrintsTheProbabilityWithFifteenSignificantDigits) {
  ProgramResult result = Run({"chisq", "0", "1"});
  ASSERT_EQ(result.exitCode, kExitOk) << result.err;
  const std::optional<double> half = ParseDouble(result.out);
  ASSERT_TRUE(half) << result.out;
  EXPECT_NEAR(*half, 0.5, 1e-8);

  result = Run({"chisq", "3", "2"});
  ASSERT_EQ(result.exitCode, kExitOk) << result.err;
  const double expected = 0.5 * std::exp(-1.5);
  EXPECT_EQ(result.out, CFormat("%.15g\n", *ParseDouble(result.out)));
  EXPECT_NEAR(*ParseDouble(result.out), expected, 1e-12);
  // 15 significant digits: "0.111565080074215"
  EXPECT_EQ(result.out.size(), std::string("0.111565080074215\n").size()) << result.out;

  // A tail far below what 1 - P can show.
  result = Run({"chisq", "100", "2"});
  ASSERT_EQ(result.exitCode, kExitOk) << result.err;
  EXPECT_NEAR(*ParseDouble(result.out) / (0.5 * std::exp(-50.0)), 1.0, 1e-6);
}

TEST_F(ChisqCommandTest, InvalidInputGivesTheCalculatorsMessage) {
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  };
  for (const Case& c : std::vector<Case>{
           {{"chisq", "1,5", "2"}, "Please enter a number."},
           {{"chisq", "1", "two"}, "Please enter an integer."},
           {{"chisq", "1", "2.5"}, "Please enter an integer."},
           {{"chisq", "0", "0"}, "DF must be a whole number of at least 1"},
           {{"chisq", "-5", "1"}, "negative"},
       }) {
    SCOPED_TRACE(c.arguments[1] + " " + c.arguments[2]);
    const ProgramResult result = Run(c.arguments);
    EXPECT_EQ(result.exitCode, kExitFailed);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("ChiSquare Probability Calculator: "), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
  }
}

}  // namespace
}  // namespace corvane
