#include "output/plot_script.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

// The hour ticks of the x axis at the run's last sample and one past it.
TEST(PlotScriptTest, AnHourTickOnTheLastSampleIsKeptAndNoneBeyondIt) {
  const std::int64_t hour = SecondsFromText("2011-05-03 10:00:00");
  const std::string open = "set xtics ( \\\n", close = "\\\n    )\n";
  // One second per sample: 11:00:00 is sample 3600, the last of 3601.
  EXPECT_EQ(TickBlock(hour, 1, 3601), open + "\"0\" 0,\\\n\"1\" 3600" + close);
  EXPECT_EQ(TickBlock(hour, 1, 3600), open + "\"0\" 0" + close);
  // Two seconds per sample from 00:59:58: 01:00:00 is sample 1, 02:00:00
  // sample 1801, the last of 1802.
  const std::int64_t before = SecondsFromText("2011-05-03 00:59:58");
  EXPECT_EQ(TickBlock(before, 2, 1802), open + "\"0\" 1,\\\n\"1\" 1801" + close);
  EXPECT_EQ(TickBlock(before, 2, 1801), open + "\"0\" 1" + close);
  // 01:00:00 is the second second of the first sample.
  EXPECT_EQ(TickBlock(before + 1, 2, 1), open + "\"0\" 0" + close);
  EXPECT_EQ(TickBlock(hour + 1, 1, 3599), open + close);
}

}  // namespace
}  // namespace corvane
