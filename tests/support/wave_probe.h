// Helpers for tests that read back WAV files and the notes laid out in them,
// and run an external reader (soxi, python3) through the shell.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_dir.h"

namespace corvane::testing {

// The little-endian unsigned field of `size` bytes at offset in bytes.
inline std::uint32_t LittleEndianField(const std::string& bytes, std::size_t offset, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) {
    value =
        (value << 8) | static_cast<unsigned char>(bytes.at(offset + static_cast<std::size_t>(i)));
  }
  return value;
}

// The 16-bit samples stored after the 46-byte header of path.
inline std::vector<std::int16_t> ReadWaveSamples(const std::string& path) {
  const std::string bytes = ReadFile(path);
  std::vector<std::int16_t> samples;
  for (std::size_t at = 46; at + 1 < bytes.size(); at += 2) {
    samples.push_back(static_cast<std::int16_t>(LittleEndianField(bytes, at, 2)));
  }
  return samples;
}

// Standard output of a shell command, with trailing white space removed; the
// exit status goes to *status when given.
inline std::string CommandOutput(const std::string& command, int* status = nullptr) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    if (status != nullptr) *status = -1;
    return output;
  }
  char buffer[4096];
  std::size_t read = 0;
  while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, read);
  const int result = pclose(pipe);
  if (status != nullptr) *status = result;
  while (!output.empty() && std::isspace(static_cast<unsigned char>(output.back())))
    output.pop_back();
  return output;
}

// The frequency of samples[begin, end) estimated from its sign changes, at
// sampleRate.
inline double ZeroCrossingFrequency(const std::vector<std::int16_t>& samples, std::size_t begin,
                                    std::size_t end, int sampleRate) {
  int crossings = 0;
  int last_sign = 0;
  for (std::size_t i = begin; i < end && i < samples.size(); ++i) {
    const int sign = (samples[i] > 0) - (samples[i] < 0);
    if (sign == 0) continue;
    if (last_sign != 0 && sign != last_sign) ++crossings;
    last_sign = sign;
  }
  const double seconds = static_cast<double>(end - begin) / sampleRate;
  return crossings / (2.0 * seconds);
}

// The [begin, end) sample ranges of the rests in a sonification file: runs of
// at least 1500 samples that never go negative and rise above 1000 (a note
// at 200 Hz or more changes sign every 20 samples at most).
inline std::vector<std::pair<std::size_t, std::size_t>> FindRests(
    const std::vector<std::int16_t>& samples) {
  std::vector<std::pair<std::size_t, std::size_t>> rests;
  std::size_t begin = 0;
  for (std::size_t i = 0; i <= samples.size(); ++i) {
    if (i < samples.size() && samples[i] >= 0) continue;
    if (i - begin >= 1500 &&
        *std::max_element(samples.begin() + begin, samples.begin() + i) > 1000) {
      rests.emplace_back(begin, i);
    }
    begin = i + 1;
  }
  return rests;
}

}  // namespace corvane::testing
