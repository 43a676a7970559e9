#include "output/plot_display.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "output/write_results.h"
#include "results_run.h"

namespace corvane {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::ResultsRun;
using testing::WriteFile;

// An analysis run of a few seconds whose files a display then reuses.
struct Displayed : ResultsRun {
  explicit Displayed(const char* name = "Shown") : ResultsRun(name) {
    Compute({{100, 104, 96, 110}, {99, 101, 103, 95}, {90, 100, 110, 120}}, "2011-05-03 10:00:00");
    WriteResults(context, table, series, ResultSteps());
    context.settings.batchMode = false;
  }
  void Display(int code, const std::string& title) {
    context.settings.displayCode = code;
    context.settings.displayTitle = title;
    RunDisplay(context);
  }
  std::string InformationLine(const std::string& keyword) {
    const std::string information = Read(".inf");
    const size_t at = information.find(keyword + " ");
    return information.substr(at + keyword.size(),
                              information.find('\n', at) - at - keyword.size());
  }
};

TEST(PlotDisplayTest, EachVariableGetsItsColumnTitleAndLegend) {
  Displayed run;
  run.context.Abort();  // rewrite the script only
  const std::string data = run.Path(".dat");
  for (const testing::DisplayVariable& variable : testing::kDisplayVariables) {
    SCOPED_TRACE(variable.code);
    run.Display(variable.code, variable.title);
    std::string plot =
        "plot \"" + data + "\" using 1:" + std::to_string(variable.code) + " title \"";
    if (variable.code == 2 || variable.code == 13) {
      plot += run.InformationLine(variable.code == 2 ? "stouffer_legend" : "covar_legend") +
              "\" with lines,\\\n     \"" + data + "\" using 1:3 title \"p=0.050\" with lines\n";
    } else {
      plot += std::string(variable.title) + "\" with lines\n";
    }
    EXPECT_EQ(run.Read(".gp"),
              "set term qt\n"
              "set size 1.000000, 1.000000\n"
              "set title \" Shown 2011-05-03 10:00:00 -- 10:00:03\"\n"
              "set ylabel \"" +
                  std::string(variable.title) +
                  "\"\n"
                  "set xlabel \"Hours Elapsed\"\n"
                  "set xtics ( \\\n\"0\" 0\\\n    )\n" +
                  plot);
  }
  EXPECT_TRUE(run.link.messages().empty());
  EXPECT_EQ(run.InformationLine("stouffer_legend").substr(0, 22), " Composite: 3 eggs: p ");
}

TEST(PlotDisplayTest, DisplayLaunchesGnuplotUnlessNothingWasRecorded) {
  Displayed run;
  const std::string record = run.root.File("launched.txt");
  const std::string standIn = run.root.File("gnuplot-stand-in");
  WriteFile(standIn, "#!/bin/sh\necho \"$@\" >> '" + record + "'\n");
  chmod(standIn.c_str(), 0755);
  run.context.settings.gnuplotPath = standIn;
  run.Display(7, "Variance");
  for (int i = 0; i < 1000 && ReadFile(record).empty(); ++i) usleep(10000);
  EXPECT_EQ(ReadFile(record), run.Path(".gp") + " -persist\n");

  // A run of no records: only the five setting lines, and no launch.
  WriteFile(run.Path(".inf"), "nRecords 0\ntitle  Empty\nstouffer_legend  L\ncovar_legend  C\n");
  run.Display(7, "Variance");
  EXPECT_EQ(run.Read(".gp"),
            "set term qt\nset size 1.000000, 1.000000\nset title \"  Empty\"\n"
            "set ylabel \"Variance\"\nset xlabel \"Hours Elapsed\"\n");
  usleep(100000);
  EXPECT_EQ(ReadFile(record), run.Path(".gp") + " -persist\n");
}

TEST(PlotDisplayTest, AMissingOrMalformedInformationFileLeavesTheScriptIntact) {
  Displayed run;
  const std::string script = run.Read(".gp");
  const std::string information = run.Read(".inf");
  const std::vector<std::pair<std::string, std::string>> broken = {
      {"", "Failed to open gnuplot inf file for input"},
      {"garbage\n", "Malformed gnuplot inf file " + run.Path(".inf")},
      {"nRecords x\ntitle a\nstouffer_legend b\ncovar_legend c\n",
       "Malformed gnuplot inf file " + run.Path(".inf")},
      {"nRecords 3\ntitle a\nstouffer_legend b\n",
       "Malformed gnuplot inf file " + run.Path(".inf")}};
  for (const auto& [text, message] : broken) {
    SCOPED_TRACE(text);
    unlink(run.Path(".inf").c_str());
    if (!text.empty()) WriteFile(run.Path(".inf"), text);
    run.context.ClearAbort();
    run.Display(5, "LP-filtered mean deviation");
    EXPECT_TRUE(run.context.Aborted());
    EXPECT_EQ(run.link.messageTexts().back(), message);
    EXPECT_EQ(run.Read(".gp"), script);
  }
  // An unknown variable is refused the same way.
  WriteFile(run.Path(".inf"), information);
  run.Display(3, "Reference");
  EXPECT_EQ(run.link.messageTexts().back(), "Unknown display variable 3");
  EXPECT_EQ(run.Read(".gp"), script);
}

TEST(PlotDisplayTest, LongInformationLinesAreReadWhole) {
  Displayed run;
  run.context.Abort();
  const std::string title(250, 'T');
  const std::string legend = " Composite: 3 eggs: p = 0.5000 " + std::string(120, 'L');
  WriteFile(run.Path(".inf"), "nRecords 4\ntitle " + title + "\nstouffer_legend" + legend +
                                  "\ncovar_legend C\nEvent time= x, duration= 0\n");
  run.Display(2, "Stouffer_Z Deviation");
  const std::string script = run.Read(".gp");
  EXPECT_NE(script.find("set title \" " + title + "\"\n"), std::string::npos);
  EXPECT_NE(script.find("title \"" + legend + "\" with lines"), std::string::npos);
}

TEST(PlotDisplayTest, DisplayTicksCountFromTheFirstSample) {
  ResultsRun run("HalfPast");
  std::vector<std::vector<std::int32_t>> eggs(2, std::vector<std::int32_t>(4000, 100));
  eggs[0][7] = 103;
  run.Compute(eggs, "2011-05-03 00:30:00");
  WriteResults(run.context, run.table, run.series, ResultSteps());
  EXPECT_NE(run.Read(".gp").find("set xtics ( \\\n\"0\" 1800\\\n    )\n"), std::string::npos);
  run.context.Abort();
  run.context.settings.displayCode = 8;
  run.context.settings.displayTitle = "LP-filtered egg variance";
  RunDisplay(run.context);
  EXPECT_NE(run.Read(".gp").find("set xtics ( \\\n\"0\" 0,\\\n\"1\" 3600\\\n    )\n"),
            std::string::npos);
}

}  // namespace
}  // namespace corvane
