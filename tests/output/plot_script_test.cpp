#include "output/plot_script.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

std::int64_t At(const char* text) { return SecondsFromText(text); }

TEST(PlotScriptTest, GnuplotStringsKeepEveryCharacterLiteral) {
  EXPECT_EQ(GnuplotString("plain /dir/name"), "plain /dir/name");
  EXPECT_EQ(GnuplotString("C:\\data\\"), "C:\\\\data\\\\");
  EXPECT_EQ(GnuplotString("say \"hi\""), "say \\\"hi\\\"");
  EXPECT_EQ(GnuplotString("`rm -rf x`"), "\\`rm -rf x\\`");
  EXPECT_EQ(GnuplotString("a\nb\tc"), "a\\012b\\011c");
  EXPECT_EQ(GnuplotString("@macro 'q' Ä"), "@macro 'q' Ä");
}

TEST(PlotScriptTest, TitleNamesTheSecondDateOnlyAcrossDays) {
  EXPECT_EQ(
      PlotTitle("Quake", DateTime(At("2011-05-03 10:00:00")), DateTime(At("2011-05-03 23:59:59"))),
      "Quake 2011-05-03 10:00:00 -- 23:59:59");
  EXPECT_EQ(
      PlotTitle("Quake", DateTime(At("2011-05-03 22:00:00")), DateTime(At("2011-05-04 00:00:00"))),
      "Quake 2011-05-03 22:00:00 -- 2011-05-04 00:00:00");
}

TEST(PlotScriptTest, TicksFallOnWholeHoursOfCalendarTime) {
  // A run from 00:30:00: first tick at sample 1800 labelled 0, then 5400.
  EXPECT_EQ(TickBlock(At("2011-05-03 00:30:00"), 1, 7200),
            "set xtics ( \\\n\"0\" 1800,\\\n\"1\" 5400\\\n    )\n");
  // A display counts from 0 whatever the real start.
  EXPECT_EQ(TickBlock(0, 1, 7201),
            "set xtics ( \\\n\"0\" 0,\\\n\"1\" 3600,\\\n\"2\" 7200\\\n    )\n");
  // Two records per sample: hours count elapsed seconds, positions samples.
  EXPECT_EQ(TickBlock(At("2011-05-03 00:59:58"), 2, 1802),
            "set xtics ( \\\n\"0\" 1,\\\n\"1\" 1801\\\n    )\n");
  // No whole hour within the run: an empty list.
  EXPECT_EQ(TickBlock(At("2011-05-03 00:00:01"), 1, 40), "set xtics ( \\\n\\\n    )\n");
}

}  // namespace
}  // namespace corvane
