#include "audio/tone_synthesizer.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>
#include <string_view>
#include <vector>

namespace corvane {
namespace {

// The value of 2*pi by which the modulated generator's phases advance.
constexpr double kPhaseTwoPi = 6.283185307;

// Truncates toward zero and clips to the 16-bit range; NaN becomes 0.
std::int16_t ToSample(double value) {
  if (!(value == value)) return 0;
  const double clipped = std::clamp(std::trunc(value), -32768.0, 32767.0);
  return static_cast<std::int16_t>(clipped);
}

void PutLittleEndian(std::uint8_t* out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

void ToneSynthesizer::SetLevel(float level) {
  level_ = level;
  amplitude_ = static_cast<float>(std::pow(10.0, 0.05 * static_cast<double>(level)));
}

void ToneSynthesizer::SetModulation(float rate, float depth) {
  modulation_rate_ = rate;
  modulation_depth_ = depth;
}

void ToneSynthesizer::GenerateTone(std::span<std::int16_t> buffer) {
  const double peak = std::numbers::sqrt2 * static_cast<double>(amplitude_);
  const double whole = std::trunc(static_cast<double>(frequency_));
  const double step = 2.0 * std::numbers::pi * whole / sample_rate_;
  for (std::size_t k = 0; k < buffer.size(); ++k) {
    buffer[k] = ToSample(peak * std::sin(step * static_cast<double>(k)));
  }
}

void ToneSynthesizer::GenerateModulatedTone(std::span<std::int16_t> buffer) {
  const double peak = std::numbers::sqrt2 * static_cast<double>(amplitude_);
  const double depth = std::clamp(static_cast<double>(modulation_depth_), 0.0, 100.0) * 0.01;
  const double step = kPhaseTwoPi * static_cast<double>(frequency_) / sample_rate_;
  const double modulation_step = kPhaseTwoPi * static_cast<double>(modulation_rate_) / sample_rate_;
  double phase = 0.0;
  double modulation_phase = 0.0;
  for (std::int16_t& sample : buffer) {
    sample = ToSample(peak * std::sin(phase) * (1.0 + depth * std::sin(modulation_phase)));
    phase += step;
    modulation_phase += modulation_step;
  }
}

void ToneSynthesizer::ApplyEnvelope(std::span<std::int16_t> buffer, int attack, int release) {
  const auto n = static_cast<std::int64_t>(buffer.size());
  const auto scale = [](std::int16_t sample, std::int64_t i, int length) {
    const double weight = static_cast<double>(i) / length;
    return ToSample(sample * weight * weight * weight);
  };
  for (std::int64_t i = 0; i < attack && i < n; ++i) {
    buffer[static_cast<std::size_t>(i)] = scale(buffer[static_cast<std::size_t>(i)], i, attack);
  }
  for (std::int64_t i = 0; i < static_cast<std::int64_t>(release) - 1 && n - 1 - i >= 0; ++i) {
    const auto at = static_cast<std::size_t>(n - 1 - i);
    buffer[at] = scale(buffer[at], i, release);
  }
}

std::int64_t ToneSynthesizer::NoteSampleCount(int lengthMs, int sampleRate) {
  if (lengthMs <= 0 || sampleRate <= 0) return 0;
  return static_cast<std::int64_t>(lengthMs) * sampleRate / 1000;
}

std::int64_t ToneSynthesizer::WriteNote(OutputFile& file, float frequency, int sampleRate,
                                        int lengthMs) {
  frequency_ = frequency;
  sample_rate_ = sampleRate;
  const std::int64_t n = NoteSampleCount(lengthMs, sampleRate);
  const int envelope = sampleRate / 100;  // 10 msec
  std::vector<std::int16_t> samples;
  std::vector<std::uint8_t> bytes;
  try {
    samples.resize(static_cast<std::size_t>(n));
    bytes.resize(samples.size() * 2);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  if (frequency == kRestFrequency || lengthMs < kModulatedNoteLength) {
    GenerateTone(samples);
  } else {
    GenerateModulatedTone(samples);
  }
  ApplyEnvelope(samples, envelope, envelope);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const auto value = static_cast<std::uint16_t>(samples[i]);
    bytes[2 * i] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[2 * i + 1] = static_cast<std::uint8_t>(value >> 8);
  }
  file.Write(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  return n;
}

std::size_t ToneSynthesizer::BuildWaveHeader(std::array<std::uint8_t, kWaveHeaderSize>& header,
                                             int channels, int sampleRate, int bits,
                                             std::uint32_t dataBytes) {
  format_.formatTag = 1;
  format_.channels = static_cast<std::uint16_t>(channels);
  format_.sampleRate = static_cast<std::uint32_t>(sampleRate);
  format_.bitsPerSample = static_cast<std::uint16_t>(bits);
  format_.byteRate = static_cast<std::uint32_t>(channels) * static_cast<std::uint32_t>(bits / 8) *
                     static_cast<std::uint32_t>(sampleRate);
  format_.blockAlign = static_cast<std::uint16_t>(channels * (bits / 8));
  format_.extraSize = 0;

  std::uint8_t* out = header.data();
  const auto text = [&](std::size_t at, std::string_view chars) {
    std::copy(chars.begin(), chars.end(), out + at);
  };
  text(0, "RIFF");
  PutLittleEndian(out + 4, dataBytes + 38, 4);
  text(8, "WAVEfmt ");
  PutLittleEndian(out + 16, 18, 4);
  PutLittleEndian(out + 20, format_.formatTag, 2);
  PutLittleEndian(out + 22, format_.channels, 2);
  PutLittleEndian(out + 24, format_.sampleRate, 4);
  PutLittleEndian(out + 28, format_.byteRate, 4);
  PutLittleEndian(out + 32, format_.blockAlign, 2);
  PutLittleEndian(out + 34, format_.bitsPerSample, 2);
  PutLittleEndian(out + 36, format_.extraSize, 2);
  text(38, "data");
  PutLittleEndian(out + 42, dataBytes, 4);
  return kWaveHeaderSize;
}

}  // namespace corvane
