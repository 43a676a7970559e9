#include "output/plot_information.h"

#include <gtest/gtest.h>

#include "input/line_reader.h"
#include "results_run.h"
#include "support/fifo.h"

namespace corvane {
namespace {

using testing::WriteFile;

constexpr size_t kLimit = LineReader::kMaxLineLength;

std::string InformationWith(const std::string& title) {
  return "nRecords 2\r\ntitle " + title + "\r\nstouffer_legend S\ncovar_legend C\n";
}

// A title line of exactly the line limit is read whole (its carriage return
// not counted); one byte more and the file is refused as malformed, and a
// re-display names it and keeps the earlier script.
TEST(PlotInformationTest, LinesAreReadUpToTheLineLimitAndALongerOneIsRefused) {
  testing::ResultsRun run("Long");
  mkdir(run.context.settings.outputDirectory.c_str(), 0755);
  const std::string atLimit(kLimit - 6, 'T');  // "title " and the text
  WriteFile(run.Path(".inf"), InformationWith(atLimit));
  PlotInformation information;
  ASSERT_EQ(ReadPlotInformation(run.Path(".inf"), information), InformationStatus::kOk);
  EXPECT_EQ(information.records, 2);
  EXPECT_EQ(information.title, " " + atLimit);
  EXPECT_EQ(information.stoufferLegend, " S");
  EXPECT_EQ(information.covarLegend, " C");

  WriteFile(run.Path(".inf"), InformationWith(atLimit + "T"));
  EXPECT_EQ(ReadPlotInformation(run.Path(".inf"), information), InformationStatus::kMalformed);
  // A huge last line of the four, with no line end at all.
  WriteFile(run.Path(".inf"),
            "nRecords 2\ntitle T\nstouffer_legend S\ncovar_legend " + std::string(4 * kLimit, 'C'));
  EXPECT_EQ(ReadPlotInformation(run.Path(".inf"), information), InformationStatus::kMalformed);

  WriteFile(run.Path(".dat"), "0\n1\n");
  WriteFile(run.Path(".gp"), "earlier script");
  run.context.settings.batchMode = false;
  run.Display(5, "Variable");
  EXPECT_TRUE(run.context.Aborted());
  ASSERT_FALSE(run.link.messageTexts().empty());
  EXPECT_EQ(run.link.messageTexts().back(), "Malformed gnuplot inf file " + run.Path(".inf"));
  EXPECT_EQ(run.Read(".gp"), "earlier script");
}

// The reader itself refuses a FIFO at once, a missing file is missing.
TEST(PlotInformationTest, AFifoIsRefusedWithoutWaitingAndAMissingFileIsMissing) {
  testing::TempDir folder;
  const testing::Fifo fifo(folder.File("run.inf"));
  PlotInformation information;
  InformationStatus status = InformationStatus::kOk;
  EXPECT_TRUE(testing::ReturnsWithoutWaiting(
      fifo, [&] { status = ReadPlotInformation(fifo.path(), information); }));
  EXPECT_EQ(status, InformationStatus::kNotRegular);
  EXPECT_EQ(ReadPlotInformation(folder.File("none.inf"), information), InformationStatus::kMissing);
}

}  // namespace
}  // namespace corvane
