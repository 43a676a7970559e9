#include "output/plot_display.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "core/c_format.h"
#include "core/output_file_set.h"
#include "input/line_reader.h"
#include "output/plot_information.h"
#include "results_run.h"
#include "support/fifo.h"

namespace corvane {
namespace {

using testing::WriteFile;

const std::string kHead = "set term qt noenhanced\nset size 1.000000, 1.000000\nset title \"";

// Data lines "0" to "count - 1".
std::string DataLines(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += std::to_string(i) + "\n";
  return text;
}

// An interactive re-display of an earlier run of an hour and a second.
struct Displayed : testing::ResultsRun {
  Displayed() : ResultsRun("Shown") {
    mkdir(context.settings.outputDirectory.c_str(), 0755);
    WriteFile(Path(".inf"), "nRecords 3601\ntitle T\nstouffer_legend S\ncovar_legend C\nmore\n");
    WriteFile(Path(".dat"), DataLines(3601));
    WriteFile(Path(".gp"), "earlier script");
    context.settings.batchMode = false;
  }
  // Replaces the run's file of extension by text: by none for "", by a FIFO
  // for "fifo", by a folder for "folder".
  void Put(const std::string& extension, const std::string& text) const {
    unlink(Path(extension).c_str());
    rmdir(Path(extension).c_str());
    if (text == "fifo") {
      EXPECT_EQ(mkfifo(Path(extension).c_str(), 0644), 0);
    } else if (text == "folder") {
      EXPECT_EQ(mkdir(Path(extension).c_str(), 0755), 0);
    } else if (!text.empty()) {
      WriteFile(Path(extension), text);
    }
  }
  // Displays code, which must be refused with message and keep the script.
  void ExpectRefused(int code, const std::string& message) {
    context.ClearAbort();
    Display(code, "Variable");
    EXPECT_TRUE(context.Aborted());
    const std::vector<std::string> texts = link.messageTexts();
    EXPECT_EQ(texts.empty() ? "" : texts.back(), message);
    EXPECT_EQ(Read(".gp"), "earlier script");
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
    EXPECT_EQ(testing::WaitForRecord(run.record),
              "-e\nset term qt 0 title \"Shown\"\n" + run.Path(".gp") + "\n-persist\n");
    unlink(run.record.c_str());
  }
  EXPECT_TRUE(run.link.messages().empty());

  // A run of no records: only the five setting lines, and no launch.
  WriteFile(run.Path(".inf"), "nRecords 0\ntitle  Empty\nstouffer_legend  L\ncovar_legend  C\n");
  WriteFile(run.Path(".dat"), "");
  run.Display(7, "Variance");
  EXPECT_EQ(run.Read(".gp"),
            kHead + "  Empty\"\nset ylabel \"Variance\"\nset xlabel \"Hours Elapsed\"\n");
  EXPECT_EQ(testing::WaitForRecord(run.record, std::chrono::milliseconds(200)), "");
}

// A missing or malformed information file, one that is no regular file
// (refused at once, naming it), and a data file that does not hold the
// counted records, has one line cut short, is missing or is a FIFO: the
// results are not trusted.
TEST(PlotDisplayTest, AMissingOrMalformedInformationFileLeavesTheScriptIntact) {
  Displayed run;
  const std::string inf = run.Path(".inf"), dat = run.Path(".dat");
  const std::string malformed = "Malformed gnuplot inf file " + inf;
  const std::string notRegular =
      "Failed to open gnuplot inf file for input: " + inf + " is not a regular file";
  const std::string four = "nRecords 4\ntitle a\nstouffer_legend b\ncovar_legend c\n";
  const std::string incomplete = "The results of Shown are incomplete: ";
  const std::string holds = incomplete + inf + " counts 4 records, but " + dat + " holds ";
  const struct {
    std::string inf, dat;
    int code;
    std::string message;
  } cases[] = {
      {"", DataLines(4), 5, "Failed to open gnuplot inf file for input"},
      {"garbage\n", DataLines(4), 5, malformed},
      {"nRecords x\ntitle a\nstouffer_legend b\ncovar_legend c\n", DataLines(4), 5, malformed},
      {"nRecords 3\ntitle a\nstouffer_legend b\n", DataLines(3), 5, malformed},
      {four, DataLines(4), 3, "Unknown display variable 3"},
      {four, DataLines(3), 5, holds + "3"},
      {four, DataLines(5), 5, holds + "5"},
      {four, DataLines(4) + "4 0.5", 5, holds + "4 and an unfinished line"},
      {four, "", 5, incomplete + dat + ": No such file or directory"},
      {four, "fifo", 5, incomplete + dat + ": it is a FIFO"},
      {"folder", DataLines(4), 5, notRegular}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    run.Put(".inf", c.inf);
    run.Put(".dat", c.dat);
    run.ExpectRefused(c.code, c.message);
  }
  run.Put(".inf", "");
  const testing::Fifo fifo(inf);
  EXPECT_TRUE(testing::ReturnsWithoutWaiting(fifo, [&] { run.ExpectRefused(5, notRegular); }));
}

// A run killed while its files were being moved into place left a commit
// record, the new data file and the earlier information file: the display
// completes the new set first and shows it, never the mix.
TEST(PlotDisplayTest, ARunCutShortWhileMovingItsFilesIsCompletedBeforeItIsShown) {
  Displayed run;
  WriteFile(run.Path(".inf"), "nRecords 3\ntitle Old\nstouffer_legend S\ncovar_legend C\n");
  WriteFile(run.Path(".dat"), DataLines(5));  // already moved
  WriteFile(PendingPath(run.Path(".inf")),
            "nRecords 5\ntitle New\nstouffer_legend S\ncovar_legend C\n");
  WriteFile(run.context.settings.outputDirectory + ".Shown.commit", "Shown.dat\nShown.inf\n");
  run.Display(5, "Variable");
  EXPECT_TRUE(run.link.messages().empty());
  EXPECT_EQ(run.Read(".inf").substr(0, 11), "nRecords 5\n");
  EXPECT_EQ(run.Read(".gp").rfind(kHead + " New\"\n", 0), 0u);
  EXPECT_FALSE(testing::FileExists(run.context.settings.outputDirectory + ".Shown.commit"));
}

// A title line of the line limit (its carriage return not counted) and a
// legend longer than a hundred characters are drawn whole; one byte more
// leaves the file malformed.
TEST(PlotInformationTest, LinesAreReadUpToTheLineLimitAndALongerOneIsRefused) {
  Displayed run;
  const std::string atLimit(LineReader::kMaxLineLength - 6, 'T');  // "title " and the text
  const std::string legend(120, 'L');
  auto put = [&](const std::string& title) {
    run.Put(".inf", "nRecords 3601\r\ntitle " + title + "\r\nstouffer_legend " + legend +
                        "\ncovar_legend C\n");
  };
  put(atLimit);
  run.Display(2, "Stouffer_Z Deviation");
  EXPECT_TRUE(run.link.messages().empty());
  EXPECT_NE(run.Read(".gp").find("set title \" " + atLimit + "\"\n"), std::string::npos);
  EXPECT_NE(run.Read(".gp").find("title \" " + legend + "\" with lines"), std::string::npos);
  put(atLimit + "T");
  PlotInformation information;
  EXPECT_EQ(ReadPlotInformation(run.Path(".inf"), information), InformationStatus::kMalformed);
}

}  // namespace
}  // namespace corvane
