#include "audio/note_plan.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "audio/linear_fit.h"
#include "audio/tone_synthesizer.h"

namespace corvane {
namespace {

// Blocks of ten values: 'u' rises from base by 1 a value, 'd' falls to base,
// 'f' stays at base.
std::vector<double> Blocks(const std::string& shapes, const std::vector<double>& bases) {
  std::vector<double> values;
  for (std::size_t k = 0; k < shapes.size(); ++k) {
    for (int j = 0; j < 10; ++j) {
      const double step = shapes[k] == 'u' ? j : shapes[k] == 'd' ? 9 - j : 0;
      values.push_back(bases[k] + step);
    }
  }
  return values;
}

AudioSettings TenValueBlocks() {
  AudioSettings settings;
  settings.dataBlockSize = 10;
  settings.minNoteLength = 150;
  settings.maxNoteLength = 1000;
  return settings;
}

// "N" for a note, "R" for a rest, in order.
std::string Kinds(const std::vector<Note>& notes) {
  std::string kinds;
  for (const Note& note : notes) kinds += note.rest ? 'R' : 'N';
  return kinds;
}

double Frequency(double mean, double low, double high) {
  return 200.0 + (mean - low) / (high - low) * 1800.0;
}

TEST(LinearFitTest, SlopeOfLinesNoiseAndDegenerateInput) {
  const std::vector<double> x = {0.1, 0.2, 0.3, 0.4, 0.5};
  std::vector<double> y;
  for (const double v : x) y.push_back(3.0 * v + 1.0);
  EXPECT_NEAR(LinearFit(x, y), 3.0, 1e-12);

  // Against the centred form of the least-squares slope.
  std::mt19937 random(7);
  std::normal_distribution<double> noise(0.0, 1.0);
  std::vector<double> px, py;
  for (int i = 0; i < 500; ++i) {
    px.push_back((i + 1) / 500.0);
    py.push_back(-0.7 * px.back() + noise(random));
  }
  double mx = 0, my = 0;
  for (int i = 0; i < 500; ++i) mx += px[i] / 500, my += py[i] / 500;
  double sxy = 0, sxx = 0;
  for (int i = 0; i < 500; ++i)
    sxy += (px[i] - mx) * (py[i] - my), sxx += (px[i] - mx) * (px[i] - mx);
  EXPECT_NEAR(LinearFit(px, py), sxy / sxx, 1e-9);

  EXPECT_EQ(LinearFit(std::vector<double>{0.5}, std::vector<double>{2.0}), 0.0);
  EXPECT_EQ(LinearFit(std::vector<double>{1.0, 1.0}, std::vector<double>{0.0, 5.0}), 0.0);
}

TEST(NotePlanTest, OnlyBlocksFollowedByAValueAreSounded) {
  AudioSettings settings;  // blocks of 500
  EXPECT_TRUE(PlanNotes(std::vector<double>(500, 1.0), settings).empty());
  EXPECT_TRUE(PlanNotes(std::vector<double>(10, 1.0), settings).empty());
  EXPECT_TRUE(PlanNotes({}, settings).empty());
  EXPECT_EQ(PlanNotes(std::vector<double>(501, 1.0), settings).size(), 1u);
  EXPECT_EQ(PlanNotes(std::vector<double>(1000, 1.0), settings).size(), 1u);
  EXPECT_EQ(PlanNotes(std::vector<double>(1001, 1.0), settings).size(), 2u);
  EXPECT_EQ(PlanNotes(std::vector<double>(3600, 1.0), settings).size(), 7u);
}

TEST(NotePlanTest, BlockSizesBelowTwoOrBeyondTheSeriesSoundNothing) {
  AudioSettings settings;
  const std::vector<double> values(100, 3.0);
  for (const int size : {1, 0, -5, INT_MAX}) {
    settings.dataBlockSize = size;
    EXPECT_TRUE(PlanNotes(values, settings).empty()) << size;
  }
}

TEST(NotePlanTest, SteadyRiseClimbsWithLongNotesAndNoRests) {
  std::vector<double> values(3600);
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = 0.01 * static_cast<double>(i);
  const auto notes = PlanNotes(values, AudioSettings{});
  ASSERT_EQ(Kinds(notes), "NNNNNNN");
  for (std::size_t i = 0; i < notes.size(); ++i) {
    EXPECT_GE(notes[i].lengthMs, 1000);
    EXPECT_LE(notes[i].lengthMs, 1002);
    if (i > 0) {
      EXPECT_GT(notes[i].frequency, notes[i - 1].frequency);
    }
  }
  EXPECT_NEAR(notes.front().frequency, Frequency(2.495, 0.0, 35.99), 0.01);
  EXPECT_NEAR(notes.back().frequency, Frequency(32.495, 0.0, 35.99), 0.01);
}

TEST(NotePlanTest, RestsMarkEveryRiseFollowedByAFall) {
  const std::vector<double> bases = {0, 10, 30, 20, 40, 30, 50, 0};
  const auto values = Blocks("uududduf", bases);
  const auto notes = PlanNotes(values, TenValueBlocks());
  // No rest before the first note; one before each falling block after a
  // rising one; none between two falls; the trailing block is silent.
  ASSERT_EQ(Kinds(notes), "NNRNNRNNN");
  int block = 0;
  for (const Note& note : notes) {
    if (note.rest) {
      EXPECT_EQ(note.frequency, kRestFrequency);
      EXPECT_EQ(note.lengthMs, 250);
      continue;
    }
    // A full ramp has slope 10/9: 150 + 850 * 10/9 = 1094.4 msec.
    EXPECT_EQ(note.lengthMs, 1094) << block;
    EXPECT_NEAR(note.frequency, Frequency(bases[block] + 4.5, 0.0, 59.0), 1e-3) << block;
    ++block;
  }
}

TEST(NotePlanTest, FlatBlocksAndConstantSeriesHaveDefinedNotes) {
  // Flat blocks: slope 0 (shortest note, no rest after a rise), pitch by mean.
  const auto flat = PlanNotes(Blocks("uffff", {0, 10, 0, 5, 10}), TenValueBlocks());
  ASSERT_EQ(Kinds(flat), "NNNN");
  EXPECT_EQ(flat[1].lengthMs, 150);
  EXPECT_FLOAT_EQ(flat[1].frequency, 2000.0f);
  EXPECT_FLOAT_EQ(flat[2].frequency, 200.0f);
  EXPECT_FLOAT_EQ(flat[3].frequency, 1100.0f);

  // A constant series: the middle frequency throughout.
  const auto constant = PlanNotes(std::vector<double>(55, 42.0), TenValueBlocks());
  ASSERT_EQ(constant.size(), 5u);
  for (const Note& note : constant) {
    EXPECT_FLOAT_EQ(note.frequency, 1100.0f);
    EXPECT_EQ(note.lengthMs, 150);
  }
}

TEST(NotePlanTest, BlocksWithValuesThatAreNotFiniteAreSkipped) {
  auto values = Blocks("ufdf", {0, 0, 10, 0});
  const double nan = std::numeric_limits<double>::quiet_NaN();
  values[12] = nan;
  const auto notes = PlanNotes(values, TenValueBlocks());
  // The rise is still followed by a rest before the fall.
  ASSERT_EQ(Kinds(notes), "NRN");
  EXPECT_NEAR(notes[2].frequency, Frequency(14.5, 0.0, 19.0), 1e-3);

  // An infinite value neither stretches the range nor sounds.
  values[12] = std::numeric_limits<double>::infinity();
  const auto with_inf = PlanNotes(values, TenValueBlocks());
  ASSERT_EQ(with_inf.size(), notes.size());
  EXPECT_EQ(with_inf[2], notes[2]);

  EXPECT_TRUE(PlanNotes(std::vector<double>(30, nan), TenValueBlocks()).empty());
}

TEST(NotePlanTest, PlannedSampleCountAddsNotesAndRests) {
  const std::vector<Note> notes = {
      {440.0f, 100, false}, {kRestFrequency, 250, true}, {1.0f, 0, false}};
  EXPECT_EQ(PlannedSampleCount(notes, 8000), 800 + 2000);
  EXPECT_EQ(PlannedSampleCount(notes, 11025), 1102 + 2756);
}

}  // namespace
}  // namespace corvane
