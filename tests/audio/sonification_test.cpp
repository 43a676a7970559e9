#include "audio/sonification.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/progress_log.h"
#include "support/recording_link.h"
#include "support/sound_layout.h"
#include "support/temp_dir.h"
#include "support/wave_probe.h"

namespace corvane {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::ReadWaveSamples;
using testing::RecordingLink;
using testing::Sound;
using testing::TempDir;

const char* const kSuffixes[] = {"_lpvar.wav", "_lpdev.wav", "_alpdev.wav", "_lpmax.wav",
                                 "_cumdevVar.wav"};

// Blocks of ten values: 'u' rises by 1 a value from its base, 'd' falls to
// its base, 'f' stays at its base.
std::vector<double> Blocks(const std::string& shapes, const std::vector<double>& bases) {
  std::vector<double> values;
  for (std::size_t k = 0; k < shapes.size(); ++k) {
    for (int j = 0; j < 10; ++j) {
      values.push_back(bases[k] + (shapes[k] == 'u' ? j : shapes[k] == 'd' ? 9 - j : 0));
    }
  }
  return values;
}

struct Track {
  std::string shapes;  // the last block is never sounded
  std::vector<double> bases;
};

// Five series, each with its own rises and falls, of 50 values.
const Track kTracks[] = {
    {"uuuuf", {0, 10, 20, 30, 40}},  // lpvar: a steady climb
    {"ududf", {0, 20, 40, 10, 0}},   // lpdev: two peaks
    {"duddf", {30, 0, 50, 20, 0}},   // alpdev: one peak
    {"uddu"
     "f",
     {5, 40, 20, 60, 0}},  // lpmax: one peak, then a climb
    {"ffff"
     "f",
     {10, 30, 20, 0, 40}},  // cvar: flat blocks
};

CompositeSeries SeriesOfTracks() {
  CompositeSeries series;
  series.eggCount.assign(50, 10);
  series.lpvar = Blocks(kTracks[0].shapes, kTracks[0].bases);
  series.lpdev = Blocks(kTracks[1].shapes, kTracks[1].bases);
  series.alpdev = Blocks(kTracks[2].shapes, kTracks[2].bases);
  series.lpmax = Blocks(kTracks[3].shapes, kTracks[3].bases);
  series.cvar = Blocks(kTracks[4].shapes, kTracks[4].bases);
  return series;
}

// What a track must sound like at 8000 Hz: a full ramp is a 1094 msec note
// (150 + 850 * 10/9), a flat block a 150 msec one; a rest (2000 samples)
// before every fall that follows a rise; pitch by the block's mean within the
// range of all fifty values.
std::vector<Sound> ExpectedSounds(const Track& track) {
  const std::vector<double> values = Blocks(track.shapes, track.bases);
  const double low = *std::min_element(values.begin(), values.end());
  const double high = *std::max_element(values.begin(), values.end());
  std::vector<Sound> sounds;
  char previous = 'f';
  for (std::size_t k = 0; k + 1 < track.shapes.size(); ++k) {
    const char shape = track.shapes[k];
    if (previous == 'u' && shape == 'd') sounds.push_back({true, 2000, 0.0});
    previous = shape;
    const double mean = track.bases[k] + (shape == 'f' ? 0.0 : 4.5);
    const double frequency = 200.0 + (mean - low) / (high - low) * 1800.0;
    sounds.push_back({false, shape == 'f' ? 1200u : 8752u, frequency});
  }
  return sounds;
}

struct AudioRun {
  TempDir dir;
  RecordingLink link;
  RunContext context{&link, &link};

  AudioRun() {
    context.settings.dataName = "Quake";
    context.settings.rootDirectory = dir.path();
    context.settings.outputDirectory = dir.path();
    context.settings.audio = true;
    context.settings.audioSettings.dataBlockSize = 10;
    context.settings.audioSettings.minNoteLength = 150;
    context.settings.audioSettings.maxNoteLength = 1000;
  }
  std::string File(const char* suffix) const { return dir.File(std::string("Quake") + suffix); }
};

TEST(CreateAudioFilesTest, FiveFilesSoundTheirSeriesNotesAndRests) {
  AudioRun run;
  CreateAudioFiles(run.context, SeriesOfTracks(), 1);
  EXPECT_TRUE(run.link.messages().empty());
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(kSuffixes[i]);
    ASSERT_TRUE(FileExists(run.File(kSuffixes[i])));
    testing::ExpectSoundLayout(ReadWaveSamples(run.File(kSuffixes[i])), ExpectedSounds(kTracks[i]),
                               8000);
  }
}

TEST(CreateAudioFilesTest, WithoutASoundDeviceTheFilesAreTheSameAndTheLogSaysSoOnce) {
  TempDir logs;
  SetLogPath(logs.File("egg.log"));
  SetLogProgress(true);
  AudioRun with_sound;
  CreateAudioFiles(with_sound.context, SeriesOfTracks(), 2);
  EXPECT_FALSE(FileExists(logs.File("egg.log")));
  AudioRun without_sound;
  CreateAudioFiles(without_sound.context, SeriesOfTracks(), 0);
  SetLogProgress(false);
  SetLogPath("");

  EXPECT_EQ(ReadFile(logs.File("egg.log")), "Audio card not detected\n");
  EXPECT_TRUE(without_sound.link.messages().empty());
  for (const char* suffix : kSuffixes) {
    const std::string bytes = ReadFile(without_sound.File(suffix));
    EXPECT_GT(bytes.size(), 46u) << suffix;
    EXPECT_EQ(bytes, ReadFile(with_sound.File(suffix))) << suffix;
  }
}

TEST(CreateAudioFilesTest, SeriesWithoutAFullBlockGiveHeaderOnlyFiles) {
  AudioRun run;
  CompositeSeries series;
  series.eggCount.assign(10, 5);
  series.lpvar = series.lpdev = series.alpdev = series.lpmax = series.cvar = Blocks("u", {0});
  CreateAudioFiles(run.context, series, 1);
  for (const char* suffix : kSuffixes) EXPECT_EQ(ReadFile(run.File(suffix)).size(), 46u) << suffix;
}

TEST(CreateAudioFilesTest, RefusedSettingsAreARunErrorAndWriteNothing) {
  AudioRun run;
  run.context.settings.audioSettings.sampleRate = 0;
  CreateAudioFiles(run.context, SeriesOfTracks(), 1);
  ASSERT_EQ(run.link.messageTexts().size(), 1u);
  EXPECT_EQ(
      run.link.messageTexts()[0],
      "Quake: Audio files not written: Sample rate must be between 1 and 192000 Hz (it is 0).");

  AudioRun huge;
  AudioSettings& settings = huge.context.settings.audioSettings;
  settings.sampleRate = 192000;
  settings.minNoteLength = settings.maxNoteLength = 60000;
  settings.dataBlockSize = 2;
  CompositeSeries series;
  series.eggCount.assign(400, 5);
  series.lpvar = series.lpdev = series.alpdev = series.lpmax = series.cvar =
      std::vector<double>(400, 1.0);
  // Only the last file is too large: flat blocks make notes of 0 msec, steep
  // ones of two minutes.
  settings.minNoteLength = 0;
  for (std::size_t i = 0; i < 400; ++i) series.cvar[i] = static_cast<double>(i % 2);
  CreateAudioFiles(huge.context, series, 1);
  ASSERT_EQ(huge.link.messageTexts().size(), 1u);
  EXPECT_EQ(huge.link.messageTexts()[0],
            "Quake: Audio files not written: Quake_cumdevVar.wav would exceed the 4 GiB a WAV "
            "file can hold.");
  for (const char* suffix : kSuffixes) {
    EXPECT_FALSE(FileExists(run.File(suffix))) << suffix;
    EXPECT_FALSE(FileExists(huge.File(suffix))) << suffix;
  }
}

TEST(CreateAudioFilesTest, FilesThatCannotBeCreatedAreReportedAndTheRunGoesOn) {
  AudioRun run;
  run.context.settings.outputDirectory = run.dir.File("missing/");
  CreateAudioFiles(run.context, SeriesOfTracks(), 1);
  EXPECT_EQ(run.link.messageTexts(),
            std::vector<std::string>(5, "Failed to open audio file for write"));
  EXPECT_FALSE(run.context.Aborted());
}

}  // namespace
}  // namespace corvane
