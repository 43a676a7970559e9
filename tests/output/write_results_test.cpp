#include "output/write_results.h"

#include <unistd.h>

#include <cmath>
#include <regex>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>
#include <boost/math/distributions/chi_squared.hpp>

#include "core/c_format.h"
#include "results_run.h"

namespace corvane {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::ResultsRun;
using testing::WriteFile;

double Median(double k) { return quantile(boost::math::chi_squared(k), 0.5); }
double LowerFive(double k) { return quantile(boost::math::chi_squared(k), 0.05); }
double Lower(double k, double x) { return cdf(boost::math::chi_squared(k), x); }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Three eggs over 36 seconds around midnight, one value missing.
std::vector<std::vector<std::int32_t>> HandEggs() {
  std::vector<std::vector<std::int32_t>> eggs(3);
  for (int k = 0; k < 3; ++k) {
    for (int i = 0; i < 36; ++i) eggs[k].push_back(100 + (i * 7 + k * 13) % 21 - 10);
  }
  eggs[1][5] = kMissingSample;
  return eggs;
}

// The fourteen columns of every sample, computed from the definitions.
std::vector<std::vector<double>> ExpectedColumns(const std::vector<std::vector<std::int32_t>>& eggs,
                                                 double a) {
  const size_t samples = eggs[0].size();
  struct Raw {
    double meanDev, meanAbsDev, maxAbsDev, eggvar, stoufZ, covar;
  };
  std::vector<Raw> raw;
  double maxSum = 0;
  for (size_t i = 0; i < samples; ++i) {
    std::vector<double> v;
    for (const auto& egg : eggs) {
      if (egg[i] != kMissingSample) v.push_back(egg[i]);
    }
    const double n = static_cast<double>(v.size());
    Raw r{};
    double mean = 0, zsum = 0;
    std::vector<double> z;
    for (double x : v) {
      mean += x / n;
      r.meanAbsDev += std::fabs(x - 100) / n;
      r.maxAbsDev = std::max(r.maxAbsDev, std::fabs(x - 100));
      z.push_back((x - 100) / std::sqrt(50.0));
      zsum += z.back();
    }
    for (double x : v) r.eggvar += (x - mean) * (x - mean) / (n - 1);
    double pairs = 0;
    for (size_t j = 0; j < z.size(); ++j) {
      for (size_t k = j + 1; k < z.size(); ++k) pairs += (z[j] * z[j] - 1) * (z[k] * z[k] - 1);
    }
    r.meanDev = mean - 100;
    r.stoufZ = zsum / std::sqrt(n);
    r.covar = pairs / std::sqrt(n * (n - 1));
    maxSum += r.maxAbsDev;
    raw.push_back(r);
  }
  std::vector<std::vector<double>> rows;
  double lpdev = 0, lpadev = 5.63, lpvar = 50, lpmax = maxSum / samples;
  double s = 0, k = 0, cvar = 0, d0 = 0;
  for (size_t i = 0; i < samples; ++i) {
    const Raw& r = raw[i];
    const double n = static_cast<double>(i + 1);
    if (i > 0) {
      lpdev = a * r.meanDev + (1 - a) * lpdev;
      lpadev = a * r.meanAbsDev + (1 - a) * lpadev;
      lpvar = a * r.eggvar + (1 - a) * lpvar;
      lpmax = a * r.maxAbsDev + (1 - a) * lpmax;
    }
    s += r.stoufZ * r.stoufZ;
    k += r.covar;
    cvar += r.eggvar - 50;
    const double d = s - Median(n);
    if (i == 0) d0 = d;
    rows.push_back({double(i), d, Median(n) - LowerFive(n) + d0, 1 - Lower(n, s), lpdev,
                    std::fabs(lpdev), r.eggvar, lpvar, lpadev, lpmax, cvar, 0.0, k,
                    n + k > 0 ? 1 - Lower(n, n + k) : 1.0});
  }
  return rows;
}

struct HookLog {
  std::vector<std::string> calls;
  ResultSteps Steps(ResultsRun& run) {
    ResultSteps steps;
    steps.createAudioFiles = [this, &run] { Call("audio", run); };
    steps.eventEcho = [this, &run] { Call("echo", run); };
    steps.dftSpectra = [this, &run] { Call("dft", run); };
    steps.compareIntervals = [this, &run] { Call("compare", run); };
    return steps;
  }
  void Call(const std::string& name, ResultsRun& run) {
    // The comparison comes after the data file is complete.
    const bool dataWritten = !ReadFile(run.Path(".dat")).empty();
    calls.push_back(name + (dataWritten ? "+data" : ""));
  }
};

TEST(WriteResultsTest, HandCheckableRunWritesEveryColumnTheScriptAndTheInformation) {
  ResultsRun run("Hand");
  run.context.settings.expCoefficient = 0.1;
  run.context.settings.eventTimeText = "2011-05-03 23:59:50";
  run.context.settings.eventDuration = 3600;
  const auto eggs = HandEggs();
  run.Compute(eggs, "2011-05-03 23:59:42");
  WriteResults(run.context, run.table, run.series, ResultSteps());
  ASSERT_FALSE(run.context.Aborted());

  const auto expected = ExpectedColumns(eggs, 0.1);
  const std::vector<std::string> lines = Lines(run.Read(".dat"));
  ASSERT_EQ(lines.size(), 36u);
  const std::regex fixed("-?[0-9]+\\.[0-9]{6}");
  for (size_t i = 0; i < lines.size(); ++i) {
    SCOPED_TRACE(lines[i]);
    std::istringstream fields(lines[i]);
    std::vector<std::string> field;
    for (std::string f; std::getline(fields, f, ' ');) field.push_back(f);
    ASSERT_EQ(field.size(), 14u);
    EXPECT_EQ(field[0], std::to_string(i));
    for (size_t c = 1; c < 14; ++c) {
      EXPECT_TRUE(std::regex_match(field[c], fixed)) << "column " << c + 1;
      EXPECT_NEAR(*ParseDouble(field[c]), expected[i][c], 1.5e-6) << "column " << c + 1;
    }
  }

  const std::string directory = run.context.settings.outputDirectory;
  const double stoufferUpper = expected.back()[3], covarUpper = expected.back()[13];
  EXPECT_EQ(run.Read(".gp"),
            "set term qt\n"
            "set size 1.000000, 1.000000\n"
            "set title \"Hand 2011-05-03 23:59:42 -- 2011-05-04 00:00:17\"\n"
            "set ylabel \"Stouffer_Z Deviation\"\n"
            "set xlabel \"Hours Elapsed\"\n"
            "set xtics ( \\\n"
            "\"0\" 18\\\n"
            "    )\n" +
                CFormat("plot \"%sHand.dat\" using 1:2 title \"Composite: 3 eggs: p = %.3f\" "
                        "with lines,\\\n",
                        directory.c_str(), stoufferUpper) +
                CFormat("     \"%sHand.dat\" using 1:3 title \"p=0.050\" with lines\n",
                        directory.c_str()));
  EXPECT_EQ(run.Read(".inf"),
            "nRecords 36\n"
            "title Hand 2011-05-03 23:59:42 -- 2011-05-04 00:00:17\n" +
                CFormat("stouffer_legend Composite: 3 eggs: p = %.4f\n", stoufferUpper) +
                CFormat("covar_legend Composite: 3 eggs: p = %.4f\n", covarUpper) +
                "Event time= 2011-05-03 23:59:50, duration= 3600\n"
                "Exponential smoothing window - Coeff= 0.100000\n");
  EXPECT_NEAR(run.series.lastCumulativeDeviation, expected.back()[1], 1e-6);
  EXPECT_NEAR(1 - run.series.finalStoufferProb, stoufferUpper, 1e-9);
  EXPECT_NEAR(1 - run.series.finalCovarProb, covarUpper, 1e-9);
  EXPECT_EQ(run.series.finalStoufferDegrees, 36);
}

TEST(WriteResultsTest, StepsRunInOrderUnderTheirConditions) {
  ResultsRun run("Steps");
  run.context.settings.audio = true;
  run.context.settings.dft = true;
  run.context.settings.compareIntervals = true;
  run.Compute({{100, 104, 96}, {99, 101, 103}}, "2011-05-03 10:00:00");
  run.context.SetJobStage(2);
  HookLog log;
  WriteResults(run.context, run.table, run.series, log.Steps(run));
  EXPECT_EQ(log.calls, (std::vector<std::string>{"audio", "echo", "dft", "compare+data"}));
  const std::vector<std::string> statuses = run.link.statuses();
  EXPECT_EQ(
      std::vector<std::string>(statuses.end() - 3, statuses.end()),
      (std::vector<std::string>{"Creating audio", "Writing results file", "Comparing intervals"}));
  EXPECT_EQ(run.context.JobStage(), 4);
  EXPECT_TRUE(run.link.messages().empty());

  // Switched off, the optional steps do not run; the event echo always does.
  ResultsRun quiet("Quiet");
  quiet.context.settings.dft = false;
  quiet.Compute({{100, 104, 96}}, "2011-05-03 10:00:00");
  HookLog quietLog;
  WriteResults(quiet.context, quiet.table, quiet.series, quietLog.Steps(quiet));
  EXPECT_EQ(quietLog.calls, std::vector<std::string>{"echo"});
  WriteResults(quiet.context, quiet.table, quiet.series, ResultSteps());  // empty hooks
  EXPECT_EQ(Lines(quiet.Read(".dat")).size(), 3u);
}

TEST(WriteResultsTest, AStopKeepsTheFilesButSkipsTheLaterStepsAndTheLaunch) {
  ResultsRun run("Stopped");
  run.context.settings.batchMode = false;
  run.context.settings.compareIntervals = true;
  run.context.settings.gnuplotPath = "/nonexistent/gnuplot";
  run.Compute({{100, 104, 96}, {99, 101, 103}}, "2011-05-03 10:00:00");
  HookLog log;
  ResultSteps steps = log.Steps(run);
  steps.eventEcho = [&] {
    log.calls.push_back("echo");
    run.context.Abort();
  };
  WriteResults(run.context, run.table, run.series, steps);
  EXPECT_EQ(log.calls, std::vector<std::string>{"echo"});
  EXPECT_EQ(run.Read(".dat"), "");
  EXPECT_NE(run.Read(".gp").find("plot "), std::string::npos);
  EXPECT_NE(run.Read(".inf").find("nRecords 3\n"), std::string::npos);
  EXPECT_TRUE(run.link.messages().empty()) << "no launch was tried";
}

TEST(WriteResultsTest, InteractiveRunLaunchesGnuplotOnTheScript) {
  ResultsRun run("Shown");
  run.context.settings.batchMode = false;
  const std::string record = run.root.File("launched.txt");
  const std::string standIn = run.root.File("gnuplot-stand-in");
  WriteFile(standIn, "#!/bin/sh\nprintf '%s|' \"$@\" > '" + record + ".tmp'\nmv '" + record +
                         ".tmp' '" + record + "'\n");
  chmod(standIn.c_str(), 0755);
  run.context.settings.gnuplotPath = standIn;
  run.Compute({{100, 104, 96}}, "2011-05-03 10:00:00");
  WriteResults(run.context, run.table, run.series, ResultSteps());
  EXPECT_EQ(run.link.statuses().back(), "Generating plot");
  EXPECT_TRUE(run.link.messages().empty());
  for (int i = 0; i < 1000 && !FileExists(record); ++i) usleep(10000);
  EXPECT_EQ(ReadFile(record), run.Path(".gp") + "|-persist|");

  ResultsRun failing("Unshown");
  failing.context.settings.batchMode = false;
  failing.context.settings.gnuplotPath = failing.root.File("no-such-gnuplot");
  failing.Compute({{100, 104, 96}}, "2011-05-03 10:00:00");
  WriteResults(failing.context, failing.table, failing.series, ResultSteps());
  EXPECT_EQ(failing.link.messageTexts(), std::vector<std::string>{"Failed to launch Gnuplot"});
}

TEST(WriteResultsTest, InformationFileRecordsTheSmoothingAndAnyEvent) {
  const std::vector<std::pair<SmoothingMode, std::string>> modes = {
      {kRectangle, "Rectangular smoothing window - width= 2\n\n"},
      {kTriangle, "Triangular smoothing window - width= 2\n\n"}};
  for (const auto& [mode, line] : modes) {
    ResultsRun run("Smooth");
    run.context.settings.smoothingMode = mode;
    run.context.settings.smoothingWindow = 2;
    run.Compute({{100, 104, 96, 90}, {99, 101, 103, 120}}, "2011-05-03 10:00:00");
    WriteResults(run.context, run.table, run.series, ResultSteps());
    const std::string information = run.Read(".inf");
    EXPECT_EQ(information.find("Event time"), std::string::npos);
    ASSERT_GE(information.size(), line.size());
    EXPECT_EQ(information.substr(information.size() - line.size()), line);
    EXPECT_NE(information.find("title Smooth 2011-05-03 10:00:00 -- 10:00:03\n"),
              std::string::npos);
  }
}

TEST(WriteResultsTest, SamplesWithoutValidEggsNeverReachTheFilesAsNaN) {
  ResultsRun run("Gaps");
  const std::int32_t m = kMissingSample;
  run.Compute({{110, m, 120, 90, 100}, {104, m, m, 96, 102}}, "2011-05-03 10:00:00");
  WriteResults(run.context, run.table, run.series, ResultSteps());
  const std::string data = run.Read(".dat");
  EXPECT_EQ(data.find("nan"), std::string::npos);
  const std::vector<std::string> lines = Lines(data);
  ASSERT_EQ(lines.size(), 5u);
  auto column = [&](size_t line, int c) {
    std::istringstream in(lines[line]);
    std::string field;
    for (int i = 0; i < c; ++i) std::getline(in, field, ' ');
    return *ParseDouble(field);
  };
  EXPECT_EQ(column(1, 2), column(0, 2)) << "the empty second adds nothing";
  EXPECT_EQ(column(1, 7), 0.0) << "undefined eggvar is written as 0";
  EXPECT_EQ(column(1, 11), column(0, 11)) << "cvar carries";
  // After the gap the Stouffer sum has three degrees of freedom, not four.
  double s = 0;
  for (size_t i : {0u, 2u, 3u}) s += run.series.stoufZ[i] * run.series.stoufZ[i];
  EXPECT_NEAR(column(3, 2), s - Median(3), 1.5e-6);
  EXPECT_NEAR(column(3, 4), 1 - Lower(3, s), 1.5e-6);
  // covar is defined at samples 0, 3 and 4 only.
  const double k = run.series.covar[0] + run.series.covar[3] + run.series.covar[4];
  EXPECT_NEAR(column(4, 13), k, 1.5e-6);
  EXPECT_NEAR(column(4, 14), 3 + k > 0 ? 1 - Lower(3, 3 + k) : 1.0, 1.5e-6);
  EXPECT_EQ(run.series.finalStoufferDegrees, 4);
}

TEST(WriteResultsTest, FailuresAreReportedAndStopTheRun) {
  {  // The output directory's parent is missing.
    ResultsRun run("Lost");
    run.context.settings.outputDirectory = run.root.File("missing/Lost/");
    run.Compute({{100}}, "2011-05-03 10:00:00");
    WriteResults(run.context, run.table, run.series, ResultSteps());
    EXPECT_TRUE(run.context.Aborted());
    EXPECT_EQ(ReadFile(run.context.SummaryPath()),
              "Lost: Failed to create directory " + run.root.File("missing/Lost/") + "\n");
  }
  {  // A data name that leaves the output root is refused before anything.
    ResultsRun run("../Escape");
    run.Compute({{100}}, "2011-05-03 10:00:00");
    WriteResults(run.context, run.table, run.series, ResultSteps());
    EXPECT_TRUE(run.context.Aborted());
    EXPECT_FALSE(FileExists(run.root.File("Escape.dat")));
    EXPECT_NE(ReadFile(run.context.SummaryPath()).find("path separator"), std::string::npos);
  }
  for (const char* extension : {".gp", ".dat", ".inf"}) {
    SCOPED_TRACE(extension);
    {  // A directory in the way: the file cannot be opened.
      ResultsRun run("Blocked");
      mkdir(run.context.settings.outputDirectory.c_str(), 0755);
      mkdir(run.Path(extension).c_str(), 0755);
      run.Compute({{100, 101}}, "2011-05-03 10:00:00");
      WriteResults(run.context, run.table, run.series, ResultSteps());
      EXPECT_TRUE(run.context.Aborted());
      EXPECT_EQ(
          ReadFile(run.context.SummaryPath()),
          std::string("Blocked: Failed to open gnuplot ") + (extension + 1) + " file for output\n");
    }
    {  // A full disk: the file cannot be written completely.
      ResultsRun run("Full");
      mkdir(run.context.settings.outputDirectory.c_str(), 0755);
      ASSERT_EQ(symlink("/dev/full", run.Path(extension).c_str()), 0);
      run.Compute({{100, 101}}, "2011-05-03 10:00:00");
      WriteResults(run.context, run.table, run.series, ResultSteps());
      EXPECT_TRUE(run.context.Aborted());
      EXPECT_EQ(ReadFile(run.context.SummaryPath()),
                std::string("Full: Failed to write gnuplot ") + (extension + 1) + " file\n");
    }
  }
}

}  // namespace
}  // namespace corvane
