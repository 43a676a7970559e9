// The command line of corvane-cli.
#include <gtest/gtest.h>

#include "cli/cli_options.h"

namespace corvane {
namespace {

using Command = CliOptions::Command;

TEST(CliOptionsTest, BatchTakesOverridesAndOneFile) {
  const CliOptions options =
      ParseCliOptions({"batch", "--set", "TempDir=/scratch/", "--set=DFTSize=1024", "run.ebb"});
  ASSERT_EQ(options.error, "");
  EXPECT_EQ(options.command, Command::kBatch);
  EXPECT_EQ(options.batchFile, "run.ebb");
  ASSERT_EQ(options.overrides.size(), 2u);
  EXPECT_EQ(options.overrides[0], std::make_pair(std::string("TempDir"), std::string("/scratch/")));
  EXPECT_EQ(options.overrides[1], std::make_pair(std::string("DFTSize"), std::string("1024")));
  // A value may hold "=" and be empty.
  const CliOptions odd = ParseCliOptions(
      {"batch", "--set", "DataURL=http://h/x?z=1", "--set", "GnuplotDir=", "run.ebb"});
  ASSERT_EQ(odd.error, "");
  EXPECT_EQ(odd.overrides[0].second, "http://h/x?z=1");
  EXPECT_EQ(odd.overrides[1].second, "");
}

TEST(CliOptionsTest, ChisqTakesADeviationAndDegreesOfFreedom) {
  const CliOptions options = ParseCliOptions({"chisq", "-1.5", "4"});
  ASSERT_EQ(options.error, "");
  EXPECT_EQ(options.command, Command::kChisq);
  EXPECT_EQ(options.deviation, "-1.5");
  EXPECT_EQ(options.degreesOfFreedom, "4");
}

TEST(CliOptionsTest, HelpForTheProgramAndEachCommand) {
  EXPECT_EQ(ParseCliOptions({"--help"}).command, Command::kHelp);
  EXPECT_EQ(ParseCliOptions({"batch", "--help"}).helpTopic, "batch");
  EXPECT_EQ(ParseCliOptions({"chisq", "-h"}).helpTopic, "chisq");
  EXPECT_NE(CliHelp("batch").find("--set NAME=VALUE"), std::string::npos);
  EXPECT_NE(CliHelp("chisq").find("DEVIATION DF"), std::string::npos);
  EXPECT_NE(CliHelp("").find("batch"), std::string::npos);
}

TEST(CliOptionsTest, WrongCommandLinesAreErrors) {
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {},
           {"run"},
           {"batch"},
           {"batch", "a.ebb", "b.ebb"},
           {"batch", "--set"},
           {"batch", "--set", "NoValue", "a.ebb"},
           {"batch", "--set", "=5", "a.ebb"},
           {"batch", "--verbose", "a.ebb"},
           {"chisq", "1"},
           {"chisq", "1", "2", "3"},
       }) {
    std::string joined;
    for (const std::string& argument : arguments) joined += argument + " ";
    SCOPED_TRACE(joined);
    EXPECT_NE(ParseCliOptions(arguments).error, "");
  }
}

}  // namespace
}  // namespace corvane
