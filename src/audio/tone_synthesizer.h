// ToneSynthesizer: turns one note (a frequency and a length) into 16-bit mono
// PCM samples and appends them to an open WAV file; it also keeps the PCM
// format record and builds the 46-byte WAV header.
//
// Two generators:
//  - the plain one (GenerateTone): a sine at the whole-number part of the
//    frequency; used for notes shorter than 250 msec and for rests
//    (frequency kRestFrequency);
//  - the modulated one (GenerateModulatedTone): a sine at the exact frequency
//    whose amplitude follows 1 + m*sin(2*pi*Fm*t), with m the modulation depth
//    clamped to 0..100 percent.
// Both peak at sqrt(2)*10^(level/20) (times 1 + m when modulated); values
// beyond the 16-bit range clip at its limits, and a value that is not a
// number (an absurd level) becomes 0. Every note gets a cubic fade-in and
// fade-out of 10 msec.
//
// The synthesizer holds no buffers between calls and does not depend on a
// sound device: it only writes files.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "core/output_file.h"

namespace corvane {

// The frequency that marks a rest: a slow half-wave rather than a note.
inline constexpr float kRestFrequency = 2.0f;

// Notes at least this long use the modulated generator.
inline constexpr int kModulatedNoteLength = 250;  // msec

inline constexpr std::size_t kWaveHeaderSize = 46;

// The most sample bytes a header can describe: its RIFF length, data bytes
// + 38, is a 32-bit number; whole 16-bit samples only.
inline constexpr std::uint32_t kMaxWaveDataBytes = 0xFFFFFFFFu - 39u;

// The format chunk of the header, copied to offsets 20..37.
struct PcmFormat {
  std::uint16_t formatTag = 1;  // PCM
  std::uint16_t channels = 1;
  std::uint32_t sampleRate = 0;
  std::uint32_t byteRate = 0;
  std::uint16_t blockAlign = 0;
  std::uint16_t bitsPerSample = 16;
  std::uint16_t extraSize = 0;
};

class ToneSynthesizer {
 public:
  // Stores the level (dB) and derives amplitude = 10^(0.05*level).
  void SetLevel(float level);
  void SetSampleRate(int sampleRate) { sample_rate_ = sampleRate; }
  // rate in Hz, depth in percent (clamped to 0..100 when used).
  void SetModulation(float rate, float depth);

  float level() const { return level_; }
  float amplitude() const { return amplitude_; }
  float frequency() const { return frequency_; }
  const PcmFormat& format() const { return format_; }

  // Fill buffer with the plain or the modulated tone at the current
  // frequency, level and sample rate. The sample rate must be positive.
  void GenerateTone(std::span<std::int16_t> buffer);
  void GenerateModulatedTone(std::span<std::int16_t> buffer);

  // Scales the first `attack` samples by (i/attack)^3 and the last
  // `release` - 1 samples by (i/release)^3 counted from the end, so that the
  // very last sample becomes 0. A length of 0 leaves that end alone.
  static void ApplyEnvelope(std::span<std::int16_t> buffer, int attack, int release);

  // The number of samples of a note of lengthMs at sampleRate:
  // trunc(lengthMs * sampleRate / 1000), 0 for a negative length.
  static std::int64_t NoteSampleCount(int lengthMs, int sampleRate);

  // Synthesises one note of lengthMs at sampleRate (a positive rate, which
  // becomes the synthesizer's sample rate) and appends it to file as 16-bit
  // little-endian samples. Returns the number of samples generated, 0 when
  // the note's buffer could not be allocated (nothing is written then).
  // Write failures show in file.Ok().
  std::int64_t WriteNote(OutputFile& file, float frequency, int sampleRate, int lengthMs);

  // Sets the format record from channels, sample rate and bits, and fills
  // header with the 46 header bytes for dataBytes bytes of samples. Returns
  // the header length, 46. dataBytes must not exceed kMaxWaveDataBytes.
  std::size_t BuildWaveHeader(std::array<std::uint8_t, kWaveHeaderSize>& header, int channels,
                              int sampleRate, int bits, std::uint32_t dataBytes);

 private:
  PcmFormat format_;
  float level_ = 0.0f;
  float amplitude_ = 1.0f;
  float frequency_ = 0.0f;
  int sample_rate_ = 8000;
  float modulation_rate_ = 0.0f;
  float modulation_depth_ = 0.0f;
};

}  // namespace corvane
