// Checks that the samples of a sonification file hold the expected notes and
// rests, in order: a rest is one positive half-wave; a note sounds at its
// frequency (estimated from its sign changes away from the fades).
#pragma once

#include <cstdint>
#include <vector>

namespace corvane::testing {

struct Sound {
  bool rest = false;
  std::size_t samples = 0;
  double frequency = 0.0;  // Hz, notes only
};

// Adds test failures where samples differ from expected.
void ExpectSoundLayout(const std::vector<std::int16_t>& samples, const std::vector<Sound>& expected,
                       int sampleRate);

}  // namespace corvane::testing
