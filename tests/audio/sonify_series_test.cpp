#include "audio/sonify_series.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

#include "audio/tone_synthesizer.h"
#include "support/temp_dir.h"
#include "support/wave_probe.h"

namespace corvane {
namespace {

using testing::CommandOutput;
using testing::FileExists;
using testing::LittleEndianField;
using testing::ReadFile;
using testing::ReadWaveSamples;
using testing::TempDir;

// A wavy series: several rises and falls, so that notes, long and short, and
// rests all occur.
std::vector<double> Wave(std::size_t count) {
  std::vector<double> values(count);
  for (std::size_t i = 0; i < count; ++i) values[i] = 50.0 + 3.0 * std::sin(0.0021 * i) + 0.001 * i;
  return values;
}

std::string Soxi(const std::string& option, const std::string& path) {
  int status = 0;
  const std::string output = CommandOutput("soxi " + option + " '" + path + "' 2>&1", &status);
  EXPECT_EQ(status, 0) << output;
  return output;
}

TEST(SonifySeriesTest, OneNoteFileHasSixteenHundredDataBytes) {
  TempDir dir;
  const std::vector<Note> notes = {{440.0f, 100, false}};
  const auto result = WriteSonification(dir.File("one.wav"), notes, 600, AudioSettings{});
  EXPECT_EQ(result.status, SonifyStatus::kWritten);
  EXPECT_EQ(result.samples, 800);
  const std::string bytes = ReadFile(dir.File("one.wav"));
  ASSERT_EQ(bytes.size(), 1646u);
  EXPECT_EQ(LittleEndianField(bytes, 4, 4), 1638u);
  EXPECT_EQ(LittleEndianField(bytes, 42, 4), 1600u);
  EXPECT_EQ(LittleEndianField(bytes, 24, 4), 8000u);
}

TEST(SonifySeriesTest, SeriesTooShortForABlockGivesAHeaderOnlyFile) {
  TempDir dir;
  const auto result = SonifySeries(dir.File("short.wav"), Wave(500), AudioSettings{});
  EXPECT_EQ(result.status, SonifyStatus::kWritten);
  const std::string bytes = ReadFile(dir.File("short.wav"));
  ASSERT_EQ(bytes.size(), 46u);
  EXPECT_EQ(LittleEndianField(bytes, 4, 4), 38u);
  EXPECT_EQ(LittleEndianField(bytes, 42, 4), 0u);
  EXPECT_EQ(Soxi("-s", dir.File("short.wav")), "0");
}

TEST(SonifySeriesTest, RealReadersAgreeOnFormatLengthAndSamples) {
  TempDir dir;
  AudioSettings settings;
  settings.sampleRate = 11025;
  const std::string path = dir.File("wavy.wav");
  const auto result = SonifySeries(path, Wave(6000), settings);
  ASSERT_EQ(result.status, SonifyStatus::kWritten);
  ASSERT_GT(result.samples, 11025);

  EXPECT_EQ(Soxi("-c", path), "1");
  EXPECT_EQ(Soxi("-r", path), "11025");
  EXPECT_EQ(Soxi("-b", path), "16");
  EXPECT_EQ(Soxi("-e", path), "Signed Integer PCM");
  EXPECT_EQ(Soxi("-s", path), std::to_string(result.samples));
  EXPECT_NEAR(std::atof(Soxi("-D", path).c_str()), static_cast<double>(result.samples) / 11025,
              1e-5);

  // Python's wave module walks the chunks itself; its frames must be ours.
  const std::vector<std::int16_t> samples = ReadWaveSamples(path);
  ASSERT_EQ(static_cast<std::int64_t>(samples.size()), result.samples);
  const long long sum = std::accumulate(samples.begin(), samples.end(), 0LL);
  long long absolute = 0;
  for (const std::int16_t s : samples) absolute += std::abs(static_cast<int>(s));
  const std::string script =
      "import wave, struct, sys\n"
      "w = wave.open(sys.argv[1], 'rb')\n"
      "n = w.getnframes()\n"
      "data = struct.unpack('<%dh' % n, w.readframes(n))\n"
      "print(w.getnchannels(), w.getsampwidth(), w.getframerate(), n, sum(data),"
      " sum(abs(v) for v in data))\n";
  TempDir scripts;
  testing::WriteFile(scripts.File("read.py"), script);
  int status = 0;
  const std::string python =
      CommandOutput("python3 '" + scripts.File("read.py") + "' '" + path + "' 2>&1", &status);
  ASSERT_EQ(status, 0) << python;
  EXPECT_EQ(python, "1 2 11025 " + std::to_string(result.samples) + " " + std::to_string(sum) +
                        " " + std::to_string(absolute));
}

TEST(SonifySeriesTest, AnExistingFileIsReplacedWhole) {
  TempDir dir;
  const std::string path = dir.File("again.wav");
  testing::WriteFile(path, std::string(100000, 'x'));
  ASSERT_EQ(SonifySeries(path, Wave(1200), AudioSettings{}).status, SonifyStatus::kWritten);
  const std::string bytes = ReadFile(path);
  EXPECT_EQ(bytes.size(), 46u + LittleEndianField(bytes, 42, 4));
  EXPECT_EQ(bytes.substr(0, 4), "RIFF");
}

TEST(SonifySeriesTest, FailuresAreReportedAndNeverCalledWritten) {
  TempDir dir;
  // A disk that is full: the samples never arrive.
  EXPECT_EQ(SonifySeries("/dev/full", Wave(6000), AudioSettings{}).status,
            SonifyStatus::kWriteFailed);
  // A file whose folder does not exist.
  EXPECT_EQ(SonifySeries(dir.File("missing/a.wav"), Wave(6000), AudioSettings{}).status,
            SonifyStatus::kOpenFailed);

  // Settings out of range and notes beyond 4 GiB are refused before any file.
  AudioSettings zero_rate;
  zero_rate.sampleRate = 0;
  EXPECT_EQ(SonifySeries(dir.File("rate.wav"), Wave(6000), zero_rate).status,
            SonifyStatus::kInvalidSettings);
  AudioSettings huge;
  huge.sampleRate = 192000;
  huge.minNoteLength = huge.maxNoteLength = 60000;
  huge.dataBlockSize = 2;
  EXPECT_EQ(SonifySeries(dir.File("huge.wav"), Wave(400), huge).status, SonifyStatus::kTooLarge);
  EXPECT_FALSE(FileExists(dir.File("rate.wav")));
  EXPECT_FALSE(FileExists(dir.File("huge.wav")));
}

}  // namespace
}  // namespace corvane
