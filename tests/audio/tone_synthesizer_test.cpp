#include "audio/tone_synthesizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/wave_probe.h"

namespace corvane {
namespace {

using Samples = std::vector<std::int16_t>;

struct Synthesizer {
  ToneSynthesizer tone;
  explicit Synthesizer(float level = 70, float depth = 30) {
    tone.SetLevel(level);
    tone.SetModulation(6.0f, depth);
  }
  // One note written through WriteNote into a scratch file and read back.
  Samples Note(float frequency, int lengthMs, int sampleRate = 8000) {
    testing::TempDir dir;
    OutputFile file;
    EXPECT_TRUE(file.Open(dir.File("note.wav"), "wb"));
    file.Write(std::string(kWaveHeaderSize, '\0'));
    const std::int64_t count = tone.WriteNote(file, frequency, sampleRate, lengthMs);
    EXPECT_TRUE(file.Close());
    Samples samples = testing::ReadWaveSamples(dir.File("note.wav"));
    EXPECT_EQ(count, static_cast<std::int64_t>(samples.size()));
    return samples;
  }
};

int Peak(const Samples& samples) {
  const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
  return std::max(-static_cast<int>(*low), static_cast<int>(*high));
}

TEST(ToneSynthesizerTest, SampleCountsAndEnvelope) {
  Synthesizer synthesizer;
  EXPECT_EQ(synthesizer.Note(440.0f, 249).size(), 1992u);
  // Notes sound at the rate they are written at: 1000 Hz at 48000 Hz has a
  // crest every 48 samples, the first fade ending at sample 480. Played at
  // the default 8000 Hz, sample 492 would be a zero.
  const Samples fast = synthesizer.Note(1000.0f, 200, 48000);
  ASSERT_EQ(fast.size(), 9600u);
  EXPECT_EQ(fast[492], 4472);
  EXPECT_EQ(fast[492 + 48], 4472);
  EXPECT_EQ(synthesizer.Note(440.0f, 3, 11025).size(), 33u);  // 33.075 truncated
  EXPECT_TRUE(synthesizer.Note(440.0f, -5).empty());
  // Ten msec of cubic fade at both ends; the rest untouched.
  const Samples note = synthesizer.Note(440.0f, 100);
  ASSERT_EQ(note.size(), 800u);
  Samples raw(800);
  synthesizer.tone.GenerateTone(raw);
  EXPECT_EQ(note.front(), 0);
  EXPECT_EQ(note.back(), 0);
  EXPECT_TRUE(std::equal(note.begin() + 80, note.end() - 79, raw.begin() + 80));
  EXPECT_LT(std::abs(note[79]), std::abs(raw[79]));
  EXPECT_LT(std::abs(note[800 - 79]), std::abs(raw[800 - 79]));

  Samples buffer(400, 10000);
  ToneSynthesizer::ApplyEnvelope(buffer, 80, 80);
  EXPECT_EQ((Samples{buffer[0], buffer[20], buffer[40], buffer[80], buffer[399 - 79],
                     buffer[399 - 78], buffer[399]}),
            (Samples{0, 156, 1250, 10000, 10000, 9268, 0}));  // (1/4)^3, (1/2)^3, (78/80)^3
  Samples shorter(5, -1000);                                  // fades longer than the note
  ToneSynthesizer::ApplyEnvelope(shorter, 80, 80);
  EXPECT_EQ(shorter.front(), 0);
  EXPECT_EQ(shorter.back(), 0);
}

TEST(ToneSynthesizerTest, NotesFrom250MsecAreModulatedShorterOnesPlainAndRestsAHalfWave) {
  Synthesizer synthesizer;
  // 2.9 Hz played plain is 2 Hz: 249 msec stay within one positive half-wave;
  // the modulated generator keeps 2.9 Hz, which turns negative after 172 msec.
  const Samples plain = synthesizer.Note(2.9f, 249), modulated = synthesizer.Note(2.9f, 250);
  EXPECT_GE(*std::min_element(plain.begin(), plain.end()), 0);
  EXPECT_LT(*std::min_element(modulated.begin(), modulated.end()), -1000);
  EXPECT_EQ(Peak(synthesizer.Note(1000.0f, 249)), 4472);  // sqrt(2) * 10^(70/20)
  EXPECT_GT(Peak(synthesizer.Note(1000.0f, 250)), 5000);
  // A rest is one positive half-wave.
  const Samples rest = synthesizer.Note(kRestFrequency, 250);
  ASSERT_EQ(rest.size(), 2000u);
  EXPECT_EQ(rest[1000], 4472);
  EXPECT_TRUE(std::is_sorted(rest.begin(), rest.begin() + 1001));
  EXPECT_TRUE(std::is_sorted(rest.rbegin(), rest.rbegin() + 1000));
  EXPECT_EQ(rest.back(), 0);
}

TEST(ToneSynthesizerTest, DepthIsClampedAndLoudSamplesClip) {
  // 30 percent: 4472 * 1.3 = 5814 at the modulation's crest.
  const int modulated = Peak(Synthesizer(70, 30).Note(1000.0f, 1000));
  EXPECT_TRUE(modulated >= 5790 && modulated <= 5814) << modulated;
  EXPECT_EQ(Synthesizer(70, 150).Note(440.0f, 500), Synthesizer(70, 100).Note(440.0f, 500));
  EXPECT_GE(Peak(Synthesizer(70, 100).Note(1000.0f, 1000)), 8900);  // 4472 * 2
  EXPECT_EQ(Synthesizer(70, -20).Note(440.0f, 500), Synthesizer(70, 0).Note(440.0f, 500));
  EXPECT_LE(Peak(Synthesizer(70, 0).Note(1000.0f, 1000)), 4472);

  Synthesizer loud(100);  // peak 141421 * 1.3
  const Samples samples = loud.Note(440.0f, 1000);
  EXPECT_EQ(*std::max_element(samples.begin(), samples.end()), 32767);
  EXPECT_EQ(*std::min_element(samples.begin(), samples.end()), -32768);
  const Samples rest = loud.Note(kRestFrequency, 250);  // clipped, not wrapped
  EXPECT_GE(*std::min_element(rest.begin(), rest.end()), 0);
  EXPECT_EQ(rest[1000], 32767);
  // An amplitude beyond float still gives defined samples.
  const Samples extreme = Synthesizer(1000).Note(440.0f, 300);
  EXPECT_TRUE(std::all_of(extreme.begin() + 80, extreme.end() - 79,
                          [](std::int16_t s) { return s == 0 || s == 32767 || s == -32768; }));
}

TEST(WaveHeaderTest, LargestDataSizeStillFitsTheRiffLength) {
  ToneSynthesizer synthesizer;
  std::array<std::uint8_t, kWaveHeaderSize> header{};
  synthesizer.BuildWaveHeader(header, 1, 8000, 16, kMaxWaveDataBytes);
  const std::string bytes(header.begin(), header.end());
  EXPECT_EQ(testing::LittleEndianField(bytes, 4, 4), 0xFFFFFFFFu - 1u);
  EXPECT_EQ(testing::LittleEndianField(bytes, 42, 4), kMaxWaveDataBytes);
}

}  // namespace
}  // namespace corvane
