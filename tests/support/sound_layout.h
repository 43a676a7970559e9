// Checks that the samples of a sonification file hold the expected notes and
// rests, in order: a rest is one positive half-wave; a note sounds at its
// frequency (estimated from its sign changes away from the fades).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "support/wave_probe.h"

namespace corvane::testing {

struct Sound {
  bool rest = false;
  std::size_t samples = 0;
  double frequency = 0.0;  // Hz, notes only
};

// Adds test failures where samples differ from expected.
inline void ExpectSoundLayout(const std::vector<std::int16_t>& samples,
                              const std::vector<Sound>& expected, int sampleRate) {
  std::size_t total = 0;
  for (const Sound& sound : expected) total += sound.samples;
  ASSERT_EQ(samples.size(), total);

  const std::size_t fade = static_cast<std::size_t>(sampleRate / 100) + 1;
  std::size_t start = 0;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const Sound& sound = expected[i];
    const std::size_t end = start + sound.samples;
    if (sound.rest) {
      const auto lowest = *std::min_element(samples.begin() + start, samples.begin() + end);
      const auto highest = *std::max_element(samples.begin() + start, samples.begin() + end);
      EXPECT_GE(lowest, 0) << "rest " << i << " at sample " << start;
      EXPECT_GT(highest, 1000) << "rest " << i << " at sample " << start;
    } else {
      const double heard = ZeroCrossingFrequency(samples, start + fade, end - fade, sampleRate);
      EXPECT_NEAR(heard, sound.frequency, 0.015 * sound.frequency + 5.0)
          << "note " << i << " at sample " << start;
    }
    start = end;
  }
}

}  // namespace corvane::testing
