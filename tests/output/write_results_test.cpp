#include "output/write_results.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <regex>
#include <sstream>

#include <gtest/gtest.h>

#include "core/c_format.h"
#include "core/output_file_set.h"
#include "output/cumulative_statistics.h"
#include "prob/chi_square_distribution.h"
#include "results_run.h"
#include "support/text_lines.h"

namespace corvane {
namespace {

using testing::Lines;
using testing::ReadFile;
using testing::ResultsRun;

// A hand-checkable run: every column of the data file, the script and the
// information. Three eggs over 36 seconds across midnight, one value missing
// at sample 5, two at 20 and all three at 9 and 10; the first sample's
// covariance makes n + K negative.
TEST(WriteResultsTest, SamplesWithoutValidEggsNeverReachTheFilesAsNaN) {
  const std::int32_t m = kMissingSample;
  std::vector<std::vector<std::int32_t>> eggs(3);
  for (int k = 0; k < 3; ++k) {
    for (int i = 0; i < 36; ++i) eggs[k].push_back(100 + (i * 7 + k * 13) % 21 - 10);
    eggs[k][9] = eggs[k][10] = m;
  }
  eggs[0][0] = eggs[1][0] = 100;
  eggs[2][0] = 120;
  eggs[1][5] = eggs[0][20] = eggs[2][20] = m;
  ResultsRun run("Hand");
  run.context.settings.expCoefficient = 0.1;
  run.context.settings.eventTimeText = "2011-05-03 23:59:50";
  run.context.settings.eventDuration = 3600;
  const std::filesystem::path current = std::filesystem::current_path();
  run.Run(eggs, "2011-05-03 23:59:42");
  ASSERT_FALSE(run.context.Aborted());
  EXPECT_EQ(std::filesystem::current_path(), current);

  // The columns as the statistics gave them; a sample without a valid egg
  // writes its undefined variance as 0.
  const CompositeSeries& s = run.series;
  const CumulativeStatistics c = ComputeCumulativeStatistics(run.context, s);
  ASSERT_EQ(c.covarProb[0], 0.0);
  const std::vector<std::string> lines = Lines(run.Read(".dat"));
  ASSERT_EQ(lines.size(), 36u);
  for (size_t i = 0; i < lines.size(); ++i) {
    SCOPED_TRACE(lines[i]);
    const double expected[] = {c.deviation[i],
                               c.reference[i],
                               1 - c.stoufferProb[i],
                               s.lpdev[i],
                               s.alpdev[i],
                               s.eggCount[i] > 0 ? s.eggvar[i] : 0,
                               s.lpvar[i],
                               s.lpadev[i],
                               s.lpmax[i],
                               s.cvar[i],
                               0.0,
                               c.covarSum[i],
                               1 - c.covarProb[i]};
    std::istringstream in(lines[i]);
    const std::vector<std::string> field{std::istream_iterator<std::string>(in), {}};
    ASSERT_EQ(field.size(), 14u);
    EXPECT_EQ(field[0], std::to_string(i));
    for (size_t column = 1; column < 14; ++column) {
      EXPECT_TRUE(std::regex_match(field[column], std::regex("-?[0-9]+\\.[0-9]{6}"))) << column + 1;
      EXPECT_NEAR(*ParseDouble(field[column]), expected[column - 1], 6e-7)
          << "column " << column + 1;
    }
  }

  const std::string data = run.Path(".dat");
  const double stoufferUpper = 1 - c.stoufferProb.back(), covarUpper = 1 - c.covarProb.back();
  const std::string title = "Hand 2011-05-03 23:59:42 -- 2011-05-04 00:00:17";
  EXPECT_EQ(run.Read(".gp"),
            "set term qt noenhanced\nset size 1.000000, 1.000000\nset title \"" + title +
                "\"\nset ylabel \"Stouffer_Z Deviation\"\nset xlabel \"Hours Elapsed\"\n"
                "set xtics ( \\\n\"0\" 18\\\n    )\n" +
                CFormat("plot \"%s\" using 1:2 title \"Composite: 3 eggs: p = %.3f\" with "
                        "lines,\\\n     \"%s\" using 1:3 title \"p=0.050\" with lines\n",
                        data.c_str(), stoufferUpper, data.c_str()));
  EXPECT_EQ(run.Read(".inf"), "nRecords 36\ntitle " + title + "\n" +
                                  CFormat("stouffer_legend Composite: 3 eggs: p = %.4f\n"
                                          "covar_legend Composite: 3 eggs: p = %.4f\n",
                                          stoufferUpper, covarUpper) +
                                  "Event time= 2011-05-03 23:59:50, duration= 3600\n"
                                  "Exponential smoothing window - Coeff= 0.100000\n");
  EXPECT_EQ(run.series.finalStoufferDegrees, 34);
  // A batch run never launches gnuplot.
  EXPECT_EQ(run.link.statuses().back(), "Writing results file");
  EXPECT_EQ(testing::WaitForRecord(run.record, std::chrono::milliseconds(200)), "");
}

// The hooks run in order under their conditions, the comparison after the
// data file is complete (still under its pending name); a Stop in one skips
// the later steps and the launch and keeps nothing of the run. gnuplot is
// started detached, from an argument vector (no shell reads the path).
TEST(WriteResultsTest, StepsRunInOrderAndAStopSkipsTheRest) {
  using Strings = std::vector<std::string>;
  const struct {
    bool on, stop;
    Strings calls, statuses;
  } cases[] = {
      {true,
       false,
       {"audio", "echo", "dft", "compare+data"},
       {"Creating audio", "Writing results file", "Comparing intervals", "Generating plot"}},
      {true, true, {"audio", "echo"}, {"Smoothing data", "Creating audio"}},
      {false, false, {"echo"}, {"Writing results file", "Generating plot"}}};
  for (const auto& c : cases) {
    ResultsRun run("Steps", "odd 'root' \"with\" $(spaces)");
    AnalysisSettings& s = run.context.settings;
    s.audio = s.dft = s.compareIntervals = c.on;
    s.batchMode = false;
    Strings calls;
    int stage = 0;
    auto hook = [&](const char* name) {
      return [&, name] {
        if (calls.empty()) stage = run.context.JobStage();
        const std::string data = ReadFile(PendingPath(run.Path(".dat")));
        calls.push_back(name + std::string(data.empty() ? "" : "+data"));
        if (c.stop && calls.size() == 2) run.context.Abort();
      };
    };
    run.Run({{100, 104, 96}, {99, 101, 103}}, "2011-05-03 10:00:00",
            {hook("audio"), hook("echo"), hook("dft"), hook("compare")});
    EXPECT_EQ(calls, c.calls);
    const Strings statuses = run.link.statuses();
    EXPECT_EQ(Strings(statuses.end() - c.statuses.size(), statuses.end()), c.statuses);
    EXPECT_EQ(std::filesystem::is_empty(run.context.settings.outputDirectory), c.stop);
    if (c.stop) continue;
    EXPECT_EQ(run.Read(".inf").substr(0, 11), "nRecords 3\n");
    EXPECT_EQ(Lines(run.Read(".dat")).size(), 3u);
    EXPECT_EQ(run.context.JobStage(), stage + 2);
    EXPECT_EQ(testing::WaitForRecord(run.record), "-e\nset term qt 0 title \"" +
                                                      run.context.settings.dataName + "\"\n" +
                                                      run.Path(".gp") + "\n-persist\n");
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1) << "gnuplot is no child of ours";
    EXPECT_TRUE(run.link.messages().empty());
  }
}

// Quantiles evaluated in parallel, and remembered from a shorter run, are
// exactly those of evaluating each sample in turn. A sample without a value
// adds nothing to a sum or its degrees of freedom; no degrees give 0, as
// does a covariance sum that makes n + K negative.
TEST(WriteResultsTest, ParallelAndRememberedStatisticsEqualEachSampleInTurn) {
  using Chi = chiSquareDistribution;
  testing::RecordingLink link;
  RunContext context{&link, &link};
  CompositeSeries series;
  for (const int samples : {300, 5000}) {
    for (int i = static_cast<int>(series.stoufZ.size()); i < samples; ++i) {
      series.stoufZ.push_back(i % 7 == 0 ? NAN : std::sin(i * 0.37) * 1.3);
      series.covar.push_back(i % 5 == 1 ? NAN : i == 0 ? -2 : std::cos(i * 0.11) * 0.9 - 0.05);
    }
    const CumulativeStatistics c = ComputeCumulativeStatistics(context, series);
    double s = 0, n = 0, k = 0, covarDf = 0, d0 = 0;
    for (size_t i = 0; i < series.stoufZ.size(); ++i) {
      if (!std::isnan(series.stoufZ[i])) {
        s += series.stoufZ[i] * series.stoufZ[i];
        n += 1;
      }
      if (!std::isnan(series.covar[i])) {
        k += series.covar[i];
        covarDf += 1;
      }
      const double median = n > 0 ? Chi::x_from_p_k(0.5, n) : 0;
      if (i == 0) d0 = s - median;
      ASSERT_EQ(c.deviation[i], s - median) << i;
      ASSERT_EQ(c.reference[i], median - (n > 0 ? Chi::x_from_p_k(0.05, n) : 0) + d0) << i;
      ASSERT_EQ(c.stoufferProb[i], n > 0 ? Chi::p_from_k_x(n, s) : 0) << i;
      ASSERT_EQ(c.covarProb[i], covarDf + k > 0 ? Chi::p_from_k_x(covarDf, covarDf + k) : 0) << i;
    }
  }
}

TEST(WriteResultsTest, FailuresAreReportedAndStopTheRun) {
  ResultsRun lost("Lost");  // the output directory's parent is missing
  lost.context.settings.outputDirectory = lost.root.File("missing/Lost/");
  lost.Run({{100}}, "2011-05-03 10:00:00");
  EXPECT_EQ(ReadFile(lost.context.SummaryPath()),
            "Lost: Failed to create directory " + lost.root.File("missing/Lost/") + "\n");

  // A folder in the way of a file: nothing of the run is left behind, not
  // even under a pending name.
  for (const std::string extension : {"gp", "dat", "inf"}) {
    ResultsRun run("Blocked");
    SCOPED_TRACE(extension);
    mkdir(run.context.settings.outputDirectory.c_str(), 0755);
    const std::string path = run.Path("." + extension);
    ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
    run.Run({{100, 101}}, "2011-05-03 10:00:00");
    EXPECT_TRUE(run.context.Aborted());
    EXPECT_EQ(ReadFile(run.context.SummaryPath()),
              "Blocked: Failed to open gnuplot " + extension + " file for output\n");
    rmdir(path.c_str());
    EXPECT_TRUE(std::filesystem::is_empty(run.context.settings.outputDirectory));
  }
}

}  // namespace
}  // namespace corvane
