#include "audio/tone_synthesizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/wave_probe.h"

namespace corvane {
namespace {

using testing::ReadWaveSamples;
using testing::TempDir;

// One note written through WriteNote into a scratch file and read back.
std::vector<std::int16_t> Note(ToneSynthesizer& synthesizer, float frequency, int sampleRate,
                               int lengthMs, std::int64_t* returned = nullptr) {
  TempDir dir;
  OutputFile file;
  EXPECT_TRUE(file.Open(dir.File("note.wav"), "wb"));
  file.Write(std::string(kWaveHeaderSize, '\0'));
  const std::int64_t count = synthesizer.WriteNote(file, frequency, sampleRate, lengthMs);
  EXPECT_TRUE(file.Close());
  if (returned != nullptr) *returned = count;
  return ReadWaveSamples(dir.File("note.wav"));
}

ToneSynthesizer Synthesizer(int level = 70, int depth = 30, int sampleRate = 8000) {
  ToneSynthesizer synthesizer;
  synthesizer.SetLevel(static_cast<float>(level));
  synthesizer.SetSampleRate(sampleRate);
  synthesizer.SetModulation(6.0f, static_cast<float>(depth));
  return synthesizer;
}

int Peak(const std::vector<std::int16_t>& samples) {
  int peak = 0;
  for (const std::int16_t s : samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
  return peak;
}

TEST(WaveHeaderTest, EmptyFileHeaderDescribesMono16BitPcm) {
  ToneSynthesizer synthesizer;
  std::array<std::uint8_t, kWaveHeaderSize> header{};
  ASSERT_EQ(synthesizer.BuildWaveHeader(header, 1, 8000, 16, 0), 46u);
  const std::string bytes(header.begin(), header.end());
  using testing::LittleEndianField;
  EXPECT_EQ(bytes.substr(0, 4), "RIFF");
  EXPECT_EQ(LittleEndianField(bytes, 4, 4), 38u);
  EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(LittleEndianField(bytes, 16, 4), 18u);
  EXPECT_EQ(LittleEndianField(bytes, 20, 2), 1u);      // PCM
  EXPECT_EQ(LittleEndianField(bytes, 22, 2), 1u);      // channels
  EXPECT_EQ(LittleEndianField(bytes, 24, 4), 8000u);   // sample rate
  EXPECT_EQ(LittleEndianField(bytes, 28, 4), 16000u);  // byte rate
  EXPECT_EQ(LittleEndianField(bytes, 32, 2), 2u);      // block align
  EXPECT_EQ(LittleEndianField(bytes, 34, 2), 16u);     // bits
  EXPECT_EQ(LittleEndianField(bytes, 36, 2), 0u);      // extra size
  EXPECT_EQ(bytes.substr(38, 4), "data");
  EXPECT_EQ(LittleEndianField(bytes, 42, 4), 0u);

  EXPECT_EQ(synthesizer.format().byteRate, 16000u);
  EXPECT_EQ(synthesizer.format().blockAlign, 2u);
  EXPECT_EQ(synthesizer.format().sampleRate, 8000u);
}

TEST(WaveHeaderTest, SizesFollowTheDataAndTheRate) {
  ToneSynthesizer synthesizer;
  std::array<std::uint8_t, kWaveHeaderSize> header{};
  synthesizer.BuildWaveHeader(header, 1, 44100, 16, 1600);
  const std::string bytes(header.begin(), header.end());
  EXPECT_EQ(testing::LittleEndianField(bytes, 4, 4), 1638u);
  EXPECT_EQ(testing::LittleEndianField(bytes, 28, 4), 88200u);
  EXPECT_EQ(testing::LittleEndianField(bytes, 42, 4), 1600u);
  // The largest size a header can hold still gives a RIFF length that fits.
  synthesizer.BuildWaveHeader(header, 1, 8000, 16, kMaxWaveDataBytes);
  const std::string largest(header.begin(), header.end());
  EXPECT_EQ(testing::LittleEndianField(largest, 4, 4), 0xFFFFFFFFu - 1u);
}

TEST(ToneSynthesizerTest, SampleCountsFollowLengthAndRate) {
  auto synthesizer = Synthesizer();
  std::int64_t returned = 0;
  EXPECT_EQ(Note(synthesizer, 440.0f, 8000, 100, &returned).size(), 800u);
  EXPECT_EQ(returned, 800);
  EXPECT_EQ(Note(synthesizer, 440.0f, 8000, 249).size(), 1992u);
  EXPECT_EQ(Note(synthesizer, 440.0f, 44100, 1000).size(), 44100u);
  EXPECT_EQ(Note(synthesizer, 440.0f, 11025, 3).size(), 33u);  // 33.075 truncated
  EXPECT_TRUE(Note(synthesizer, 440.0f, 8000, -5, &returned).empty());
  EXPECT_EQ(returned, 0);
  EXPECT_EQ(synthesizer.frequency(), 440.0f);
}

TEST(ToneSynthesizerTest, EnvelopeCoversEightyAttackAndSeventyNineReleaseSamples) {
  auto synthesizer = Synthesizer();
  const auto samples = Note(synthesizer, 440.0f, 8000, 100);
  ASSERT_EQ(samples.size(), 800u);
  EXPECT_EQ(samples.front(), 0);
  EXPECT_EQ(samples.back(), 0);

  std::vector<std::int16_t> raw(800);
  synthesizer.GenerateTone(raw);
  // Untouched between the ramps, scaled down inside them.
  for (std::size_t i = 80; i < 800 - 79; ++i) ASSERT_EQ(samples[i], raw[i]) << i;
  for (std::size_t i = 1; i < 80; ++i) ASSERT_LE(std::abs(samples[i]), std::abs(raw[i])) << i;
  EXPECT_LT(std::abs(samples[79]), std::abs(raw[79]));
  EXPECT_LT(std::abs(samples[800 - 79]), std::abs(raw[800 - 79]));
}

TEST(ToneSynthesizerTest, EnvelopeRampsAreCubic) {
  std::vector<std::int16_t> buffer(400, 10000);
  ToneSynthesizer::ApplyEnvelope(buffer, 80, 80);
  EXPECT_EQ(buffer[0], 0);
  EXPECT_EQ(buffer[40], 1250);   // (1/2)^3
  EXPECT_EQ(buffer[20], 156);    // (1/4)^3 = 156.25
  EXPECT_EQ(buffer[80], 10000);  // past the attack
  EXPECT_EQ(buffer[399], 0);
  EXPECT_EQ(buffer[399 - 40], 1250);
  EXPECT_EQ(buffer[399 - 78], 9268);  // (78/80)^3 = 0.92685
  EXPECT_EQ(buffer[399 - 79], 10000);

  std::vector<std::int16_t> negative(10, -8000);
  ToneSynthesizer::ApplyEnvelope(negative, 2, 0);
  EXPECT_EQ(negative[1], -1000);  // truncated toward zero
  EXPECT_EQ(negative[9], -8000);  // no release

  std::vector<std::int16_t> shorter(5, 1000);  // ramps longer than the buffer
  ToneSynthesizer::ApplyEnvelope(shorter, 80, 80);
  EXPECT_EQ(shorter[0], 0);
  EXPECT_EQ(shorter[4], 0);
}

TEST(ToneSynthesizerTest, RatesBelowOneHundredHertzGetNoEnvelope) {
  auto synthesizer = Synthesizer(70, 30, 99);
  const auto samples = Note(synthesizer, 10.0f, 99, 200);
  ASSERT_EQ(samples.size(), 19u);
  std::vector<std::int16_t> raw(19);
  synthesizer.GenerateTone(raw);
  EXPECT_EQ(samples, raw);
  EXPECT_NE(samples.back(), 0);
}

TEST(ToneSynthesizerTest, NotesFrom250MsecAreModulatedShorterOnesPlainAtTheWholeFrequency) {
  auto synthesizer = Synthesizer();
  // 2.9 Hz played plain is 2 Hz: 249 msec stay within one positive half-wave.
  const auto plain = Note(synthesizer, 2.9f, 8000, 249);
  EXPECT_GE(*std::min_element(plain.begin(), plain.end()), 0);
  // The modulated generator keeps 2.9 Hz, which turns negative after 172 msec.
  const auto modulated = Note(synthesizer, 2.9f, 8000, 250);
  EXPECT_LT(*std::min_element(modulated.begin(), modulated.end()), -1000);

  EXPECT_LE(Peak(Note(synthesizer, 1000.0f, 8000, 249)), 4472);
  EXPECT_GT(Peak(Note(synthesizer, 1000.0f, 8000, 250)), 5000);
}

TEST(ToneSynthesizerTest, RestIsOnePositiveHalfWave) {
  auto synthesizer = Synthesizer();
  const auto rest = Note(synthesizer, kRestFrequency, 8000, 250);
  ASSERT_EQ(rest.size(), 2000u);
  EXPECT_EQ(rest[1000], 4472);  // sqrt(2)*10^(70/20) at the crest
  for (std::size_t i = 1; i <= 1000; ++i) ASSERT_GE(rest[i], rest[i - 1]) << i;
  for (std::size_t i = 1001; i < 2000; ++i) ASSERT_LE(rest[i], rest[i - 1]) << i;
  EXPECT_EQ(rest.back(), 0);
}

TEST(ToneSynthesizerTest, LevelSetsThePeakAndModulationDepthIsClamped) {
  auto synthesizer = Synthesizer();
  EXPECT_NEAR(synthesizer.amplitude(), 3162.2776, 0.001);
  EXPECT_EQ(Peak(Note(synthesizer, 1000.0f, 8000, 200)), 4472);
  const int modulated = Peak(Note(synthesizer, 1000.0f, 8000, 1000));
  EXPECT_GE(modulated, 5790);  // 4472 * 1.3 = 5814 at the modulation's crest
  EXPECT_LE(modulated, 5814);

  auto full = Synthesizer(70, 100);
  auto over = Synthesizer(70, 150);
  EXPECT_EQ(Note(full, 440.0f, 8000, 500), Note(over, 440.0f, 8000, 500));
  EXPECT_GE(Peak(Note(full, 1000.0f, 8000, 1000)), 8900);  // 4472 * 2
  auto none = Synthesizer(70, 0);
  auto negative = Synthesizer(70, -20);
  EXPECT_EQ(Note(none, 440.0f, 8000, 500), Note(negative, 440.0f, 8000, 500));
  EXPECT_LE(Peak(Note(none, 1000.0f, 8000, 1000)), 4472);
}

TEST(ToneSynthesizerTest, LoudSamplesClipAtTheSixteenBitLimits) {
  auto loud = Synthesizer(100);  // peak 141421 * 1.3
  const auto samples = Note(loud, 440.0f, 8000, 1000);
  EXPECT_EQ(*std::max_element(samples.begin(), samples.end()), 32767);
  EXPECT_EQ(*std::min_element(samples.begin(), samples.end()), -32768);
  // Clipped, not wrapped: a positive half-wave never shows negative samples.
  const auto rest = Note(loud, kRestFrequency, 8000, 250);
  EXPECT_GE(*std::min_element(rest.begin(), rest.end()), 0);
  EXPECT_EQ(rest[1000], 32767);

  auto absurd = Synthesizer(1000);  // an amplitude beyond float: still defined samples
  const auto extreme = Note(absurd, 440.0f, 8000, 300);
  ASSERT_EQ(extreme.size(), 2400u);
  for (std::size_t i = 80; i < 2400 - 79; ++i) {
    ASSERT_TRUE(extreme[i] == 0 || extreme[i] == 32767 || extreme[i] == -32768) << extreme[i];
  }
}

}  // namespace
}  // namespace corvane
