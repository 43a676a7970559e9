// The scripts that the results writer and the display generate, run by the
// real gnuplot with a file terminal in place of the window.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gnuplot_render.h"
#include "output/plot_display.h"
#include "output/write_results.h"
#include "results_run.h"

namespace corvane {
namespace {

using testing::FileExists;
using testing::RenderResult;
using testing::RenderWithGnuplot;
using testing::ResultsRun;

void ExpectPicture(const RenderResult& result) {
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.errors, "");
  EXPECT_GT(result.pictureBytes, 1000);
}

std::vector<std::vector<std::int32_t>> Eggs(int samples) {
  std::vector<std::vector<std::int32_t>> eggs(4);
  for (int k = 0; k < 4; ++k) {
    for (int i = 0; i < samples; ++i) eggs[k].push_back(100 + (i * 11 + k * 5) % 19 - 9);
  }
  return eggs;
}

TEST(GnuplotAcceptanceTest, AnalysisAndEveryDisplayVariableDraw) {
  ResultsRun run("Accepted");
  run.Compute(Eggs(7300), "2011-05-03 22:30:00");
  // What an event echo search leaves behind (an all-zero column draws with
  // gnuplot's warning about an empty range).
  for (size_t i = 0; i < run.series.eventEcho.size(); ++i)
    run.series.eventEcho[i] = std::sin(i * 0.01);
  WriteResults(run.context, run.table, run.series, ResultSteps());
  ASSERT_FALSE(run.context.Aborted());
  const std::string directory = run.context.settings.outputDirectory;
  ExpectPicture(RenderWithGnuplot(run.Read(".gp"), directory));

  run.context.Abort();  // rewrite the scripts without launching
  for (const auto& [code, title] : testing::kDisplayVariables) {
    SCOPED_TRACE(code);
    run.context.settings.displayCode = code;
    run.context.settings.displayTitle = title;
    RunDisplay(run.context);
    ExpectPicture(RenderWithGnuplot(run.Read(".gp"), directory));
  }
}

TEST(GnuplotAcceptanceTest, ARunWithoutAWholeHourDraws) {
  ResultsRun run("Short");
  run.Compute(Eggs(40), "2011-05-03 10:00:05");
  WriteResults(run.context, run.table, run.series, ResultSteps());
  EXPECT_NE(run.Read(".gp").find("set xtics ( \\\n\\\n    )\n"), std::string::npos);
  ExpectPicture(RenderWithGnuplot(run.Read(".gp"), run.context.settings.outputDirectory));
}

TEST(GnuplotAcceptanceTest, AnOutputRootWithQuotesAndBackQuotesIsReadLiterally) {
  ResultsRun run("Odd", "my \"odd\" \\root `touch injected` $HOME");
  run.Compute(Eggs(60), "2011-05-03 10:00:00");
  WriteResults(run.context, run.table, run.series, ResultSteps());
  ASSERT_FALSE(run.context.Aborted());
  const std::string directory = run.context.settings.outputDirectory;
  ExpectPicture(RenderWithGnuplot(run.Read(".gp"), directory));
  EXPECT_FALSE(FileExists(directory + "injected"));
  run.context.Abort();
  run.context.settings.displayCode = 7;
  run.context.settings.displayTitle = "Variance \"of\" `eggs`";
  RunDisplay(run.context);
  ExpectPicture(RenderWithGnuplot(run.Read(".gp"), directory));
  EXPECT_FALSE(FileExists(directory + "injected"));
}

}  // namespace
}  // namespace corvane
