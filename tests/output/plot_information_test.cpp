#include "output/plot_information.h"

#include <gtest/gtest.h>

#include "input/line_reader.h"
#include "results_run.h"

namespace corvane {
namespace {

using testing::WriteFile;

constexpr size_t kLimit = LineReader::kMaxLineLength;

std::string InformationWith(const std::string& title) {
  return "nRecords 2\r\ntitle " + title + "\r\nstouffer_legend " + std::string(120, 'L') +
         "\ncovar_legend C\n";
}

// A title line of exactly the line limit is read whole (its carriage return
// not counted) and drawn whole, as is a legend longer than a hundred
// characters; one byte more and the file is refused as malformed.
TEST(PlotInformationTest, LinesAreReadUpToTheLineLimitAndALongerOneIsRefused) {
  testing::ResultsRun run("Long");
  mkdir(run.context.settings.outputDirectory.c_str(), 0755);
  const std::string atLimit(kLimit - 6, 'T');  // "title " and the text
  WriteFile(run.Path(".inf"), InformationWith(atLimit));
  PlotInformation information;
  ASSERT_EQ(ReadPlotInformation(run.Path(".inf"), information), InformationStatus::kOk);
  EXPECT_EQ(information.records, 2);
  EXPECT_EQ(information.title, " " + atLimit);
  EXPECT_EQ(information.stoufferLegend, " " + std::string(120, 'L'));
  EXPECT_EQ(information.covarLegend, " C");
  WriteFile(run.Path(".dat"), "0\n1\n");
  run.Display(2, "Stouffer_Z Deviation");
  EXPECT_TRUE(run.link.messages().empty());
  EXPECT_NE(run.Read(".gp").find("set title \" " + atLimit + "\"\n"), std::string::npos);
  EXPECT_NE(run.Read(".gp").find("title \"" + information.stoufferLegend + "\" with lines"),
            std::string::npos);

  WriteFile(run.Path(".inf"), InformationWith(atLimit + "T"));
  EXPECT_EQ(ReadPlotInformation(run.Path(".inf"), information), InformationStatus::kMalformed);
  // A huge last line of the four, with no line end at all.
  WriteFile(run.Path(".inf"),
            "nRecords 2\ntitle T\nstouffer_legend S\ncovar_legend " + std::string(4 * kLimit, 'C'));
  EXPECT_EQ(ReadPlotInformation(run.Path(".inf"), information), InformationStatus::kMalformed);
}

}  // namespace
}  // namespace corvane
