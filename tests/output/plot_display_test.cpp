#include "output/plot_display.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include "core/c_format.h"
#include "results_run.h"
#include "support/fifo.h"

namespace corvane {
namespace {

using testing::WriteFile;

const std::string kHead = "set term qt noenhanced\nset size 1.000000, 1.000000\nset title \"";

// An interactive re-display of an earlier run of an hour and a second.
struct Displayed : testing::ResultsRun {
  Displayed() : ResultsRun("Shown") {
    mkdir(context.settings.outputDirectory.c_str(), 0755);
    WriteFile(Path(".inf"), "nRecords 3601\ntitle T\nstouffer_legend S\ncovar_legend C\nmore\n");
    WriteFile(Path(".gp"), "earlier script");
    context.settings.batchMode = false;
  }
};

TEST(PlotDisplayTest, EachVariableGetsItsColumnLabelAndLegendAndIsLaunched) {
  Displayed run;
  const std::string plot = "plot \"" + run.Path(".dat") + "\" using 1:";
  for (const int code : {2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}) {
    SCOPED_TRACE(code);
    const std::string label = CFormat("Variable %d", code);
    run.Display(code, label);
    const std::string reference = ",\\\n     " + plot.substr(5) + "3 title \"p=0.050\" with lines";
    EXPECT_EQ(run.Read(".gp"), kHead + " T\"\nset ylabel \"" + label +
                                   "\"\nset xlabel \"Hours Elapsed\"\nset xtics ( \\\n\"0\" 0,\\\n"
                                   "\"1\" 3600\\\n    )\n" +
                                   plot + std::to_string(code) + " title \"" +
                                   (code == 2    ? " S\" with lines" + reference
                                    : code == 13 ? " C\" with lines" + reference
                                                 : label + "\" with lines") +
                                   "\n");
    EXPECT_EQ(testing::WaitForRecord(run.record), run.Path(".gp") + "\n-persist\n");
    unlink(run.record.c_str());
  }
  EXPECT_TRUE(run.link.messages().empty());

  // A run of no records: only the five setting lines, and no launch.
  WriteFile(run.Path(".inf"), "nRecords 0\ntitle  Empty\nstouffer_legend  L\ncovar_legend  C\n");
  run.Display(7, "Variance");
  EXPECT_EQ(run.Read(".gp"),
            kHead + "  Empty\"\nset ylabel \"Variance\"\nset xlabel \"Hours Elapsed\"\n");
  EXPECT_EQ(testing::WaitForRecord(run.record, std::chrono::milliseconds(200)), "");
}

TEST(PlotDisplayTest, AMissingOrMalformedInformationFileLeavesTheScriptIntact) {
  Displayed run;
  const std::string malformed = "Malformed gnuplot inf file " + run.Path(".inf");
  const std::pair<std::string, std::string> broken[] = {
      {"", "Failed to open gnuplot inf file for input"},
      {"garbage\n", malformed},
      {"nRecords x\ntitle a\nstouffer_legend b\ncovar_legend c\n", malformed},
      {"nRecords 3\ntitle a\nstouffer_legend b\n", malformed},
      {run.Read(".inf"), "Unknown display variable 3"}};
  for (const auto& [text, message] : broken) {
    SCOPED_TRACE(text);
    unlink(run.Path(".inf").c_str());
    if (!text.empty()) WriteFile(run.Path(".inf"), text);
    run.context.ClearAbort();
    run.Display(message[0] == 'U' ? 3 : 5, "Variable");
    EXPECT_TRUE(run.context.Aborted());
    EXPECT_EQ(run.link.messageTexts().back(), message);
    EXPECT_EQ(run.Read(".gp"), "earlier script");
  }
  // Lines longer than a hundred characters are read whole.
  const std::string title(250, 'T'), legend(120, 'L');
  WriteFile(run.Path(".inf"),
            "nRecords 4\ntitle " + title + "\nstouffer_legend " + legend + "\ncovar_legend C\n");
  run.Display(2, "Stouffer_Z Deviation");
  EXPECT_NE(run.Read(".gp").find(kHead + " " + title + "\"\n"), std::string::npos);
  EXPECT_NE(run.Read(".gp").find("title \" " + legend + "\" with lines"), std::string::npos);
}

// An information file that is a FIFO or a directory is refused at once,
// naming it; the script stays.
TEST(PlotDisplayTest, AnInformationFileThatIsNoRegularFileIsRefusedWithoutWaiting) {
  Displayed run;
  unlink(run.Path(".inf").c_str());
  const testing::Fifo fifo(run.Path(".inf"));
  const std::string message =
      "Failed to open gnuplot inf file for input: " + run.Path(".inf") + " is not a regular file";
  EXPECT_TRUE(testing::ReturnsWithoutWaiting(fifo, [&] { run.Display(5, "Variable"); }));
  EXPECT_EQ(run.link.messageTexts().back(), message);
  unlink(run.Path(".inf").c_str());
  mkdir(run.Path(".inf").c_str(), 0755);
  run.context.ClearAbort();
  run.Display(5, "Variable");
  EXPECT_TRUE(run.context.Aborted());
  EXPECT_EQ(run.link.messageTexts().back(), message);
  EXPECT_EQ(run.Read(".gp"), "earlier script");
}

}  // namespace
}  // namespace corvane
