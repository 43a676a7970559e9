// Helpers for tests that read back WAV files and the notes laid out in them,
// and run an external reader (soxi, python3) through the shell.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace corvane::testing {

// The 16-bit samples stored after the 46-byte header of path.
std::vector<std::int16_t> ReadWaveSamples(const std::string& path);

// The little-endian unsigned field of `size` bytes at offset in bytes.
std::uint32_t LittleEndianField(const std::string& bytes, std::size_t offset, int size);

// Standard output of a shell command, with trailing white space removed; the
// exit status goes to *status when given.
std::string CommandOutput(const std::string& command, int* status = nullptr);

// The frequency of samples[begin, end) estimated from its sign changes, at
// sampleRate.
double ZeroCrossingFrequency(const std::vector<std::int16_t>& samples, std::size_t begin,
                             std::size_t end, int sampleRate);

// The [begin, end) sample ranges of the rests in a sonification file: runs of
// at least 1500 samples that never go negative and rise above 1000 (a note
// at 200 Hz or more changes sign every 20 samples at most).
std::vector<std::pair<std::size_t, std::size_t>> FindRests(
    const std::vector<std::int16_t>& samples);

}  // namespace corvane::testing
