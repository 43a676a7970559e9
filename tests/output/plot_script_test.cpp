#include "output/plot_script.h"

#include <gtest/gtest.h>

#include <regex>

#include "support/temp_dir.h"

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

std::string Expected(const std::string& name) {
  return testing::ReadFile(std::string(CORVANE_SOURCE_DIR) + "/tests/output/expected/" + name);
}

// Runs of up to two days keep the tick block they always had, saved before
// long runs got fewer labels; one second more is a long run.
TEST(PlotScriptTest, RunsOfUpToTwoDaysKeepEveryHourLabelled) {
  const std::int64_t midnight = SecondsFromText("2011-05-03 00:00:00");
  const std::int64_t half = SecondsFromText("2011-05-03 00:30:00");
  EXPECT_EQ(TickBlock(midnight, 1, 172800), Expected("ticks_two_days.txt"));
  EXPECT_EQ(TickBlock(half, 2, 86400), Expected("ticks_two_days_halves.txt"));
  EXPECT_EQ(TickBlock(0, 1, 172800), Expected("ticks_display_two_days.txt"));
  EXPECT_EQ(TickBlock(half, 1, 86400), Expected("ticks_one_day.txt"));
  EXPECT_NE(TickBlock(midnight, 1, 172801), Expected("ticks_two_days.txt"));
}

struct Tick {
  std::string label;
  long long sample;
};

std::vector<Tick> Ticks(const std::string& block) {
  std::vector<Tick> ticks;
  const std::regex tick("\"([0-9]*)\" ([0-9]+)");
  for (auto it = std::sregex_iterator(block.begin(), block.end(), tick);
       it != std::sregex_iterator(); ++it) {
    ticks.push_back({(*it)[1].str(), std::stoll((*it)[2].str())});
  }
  return ticks;
}

// A long run keeps a tick at every hour but labels only every step-th hour,
// with few enough labels to read.
TEST(PlotScriptTest, LongRunsLabelEveryStepthHourAndKeepEveryTick) {
  struct Case {
    std::int64_t seconds;  // the run's length, one sample a second from midnight
    int step;              // worked out by hand
  };
  const std::int64_t midnight = SecondsFromText("2011-05-03 00:00:00");
  // 49 hours 0 ... 48: every second hour would be 25 labels, every third 17.
  // 96 hours: 48, 32, then 16 labels every sixth. 720 hours: 30 labels every
  // day, 15 every second day.
  for (const Case c : {Case{172801, 3}, Case{4 * 86400, 6}, Case{30 * 86400, 48}}) {
    SCOPED_TRACE(c.seconds);
    const std::vector<Tick> ticks = Ticks(TickBlock(midnight, 1, c.seconds));
    ASSERT_EQ(static_cast<std::int64_t>(ticks.size()), (c.seconds - 1) / 3600 + 1);
    int labels = 0;
    for (size_t hour = 0; hour < ticks.size(); ++hour) {
      EXPECT_EQ(ticks[hour].sample, static_cast<long long>(hour) * 3600);
      const bool labelled = hour % static_cast<size_t>(c.step) == 0;
      EXPECT_EQ(ticks[hour].label, labelled ? std::to_string(hour) : "") << hour;
      labels += labelled ? 1 : 0;
    }
    EXPECT_LE(labels, 24);
  }
  // From 00:30, two seconds a sample: the hours count from the first whole
  // hour, which is elapsed hour 0 at sample 900.
  const std::vector<Tick> shifted =
      Ticks(TickBlock(SecondsFromText("2011-05-03 00:30:00"), 2, 4 * 43200));
  ASSERT_EQ(shifted.size(), 96u);
  EXPECT_EQ(shifted[0].label, "0");
  EXPECT_EQ(shifted[0].sample, 900);
  EXPECT_EQ(shifted[5].label, "");
  EXPECT_EQ(shifted[6].label, "6");
}

}  // namespace
}  // namespace corvane
