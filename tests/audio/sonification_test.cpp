#include "audio/sonification.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/audio_devices.h"
#include "audio/audio_settings_check.h"
#include "audio/note_plan.h"
#include "audio/sonify_series.h"
#include "core/progress_log.h"
#include "support/recording_link.h"
#include "support/sound_layout.h"
#include "support/temp_dir.h"
#include "support/wave_probe.h"

namespace corvane {
namespace {

using testing::FileExists;
using testing::ReadFile;

// One block of ten values per shape: 'u' rises from its base by 1 a value,
// 'd' falls to its base, 'f' stays at its base.
std::vector<double> Blocks(const std::string& shapes, const std::vector<double>& bases) {
  std::vector<double> values;
  for (std::size_t k = 0; k < shapes.size(); ++k) {
    for (int j = 0; j < 10; ++j) {
      values.push_back(bases[k] + (shapes[k] == 'u' ? j : shapes[k] == 'd' ? 9 - j : 0));
    }
  }
  return values;
}

// Blocks of ten values, notes of 150 to 1000 msec.
AudioSettings TenValueBlocks() {
  AudioSettings settings;
  settings.dataBlockSize = 10;
  settings.minNoteLength = 150;
  settings.maxNoteLength = 1000;
  return settings;
}

std::string Shell(const std::string& command) {
  int status = 0;
  const std::string output = testing::CommandOutput(command + " 2>&1", &status);
  EXPECT_EQ(status, 0) << command << ": " << output;
  return output;
}

std::string LittleEndian(std::uint32_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
  return out;
}

// Mono, 16-bit PCM at 8000 Hz: byte rate 16000, block align 2.
std::string Header8000(std::uint32_t dataBytes) {
  return "RIFF" + LittleEndian(dataBytes + 38, 4) + "WAVEfmt " + LittleEndian(18, 4) +
         LittleEndian(1, 2) + LittleEndian(1, 2) + LittleEndian(8000, 4) + LittleEndian(16000, 4) +
         LittleEndian(2, 2) + LittleEndian(16, 2) + LittleEndian(0, 2) + "data" +
         LittleEndian(dataBytes, 4);
}

TEST(NotePlanTest, BlocksSoundedConstantSeriesAndValuesThatAreNotFinite) {
  // A block size below 2 sounds nothing.
  AudioSettings settings;
  for (const int size : {1, 0, -5, INT_MAX}) {
    settings.dataBlockSize = size;
    EXPECT_TRUE(PlanNotes(std::vector<double>(100, 3.0), settings).empty()) << size;
  }
  // A constant series sounds the middle frequency, flat blocks the shortest
  // note.
  EXPECT_EQ(PlanNotes(std::vector<double>(55, 42.0), TenValueBlocks()),
            std::vector<Note>(5, Note{1100.0f, 150, false}));
  // A block holding a value that is not finite makes no note, leaves the
  // previous slope as it was (the rise still rests before the fall) and does
  // not stretch the range.
  auto values = Blocks("ufdf", {0, 0, 10, 0});
  for (const double bad : {NAN, INFINITY}) {
    values[12] = bad;
    const auto notes = PlanNotes(values, TenValueBlocks());
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_TRUE(notes[1].rest);
    EXPECT_NEAR(notes[2].frequency, 200.0 + 14.5 / 19.0 * 1800.0, 1e-3);
  }
  EXPECT_TRUE(PlanNotes(std::vector<double>(30, NAN), TenValueBlocks()).empty());
}

TEST(SonifySeriesTest, HeadersOfAnEmptyAndAOneNoteFileAndAFullDisk) {
  testing::TempDir dir;
  // Too short for a block followed by a value: no notes.
  EXPECT_EQ(
      SonifySeries(dir.File("empty.wav"), std::vector<double>(500, 1.0), AudioSettings{}).status,
      SonifyStatus::kWritten);
  EXPECT_EQ(ReadFile(dir.File("empty.wav")), Header8000(0));
  EXPECT_EQ(Shell("soxi -s '" + dir.File("empty.wav") + "'"), "0");

  const auto one = WriteSonification(dir.File("one.wav"), {{440.0f, 100, false}}, 600, {});
  EXPECT_EQ(one.status, SonifyStatus::kWritten);
  EXPECT_EQ(one.samples, 800);
  const std::string bytes = ReadFile(dir.File("one.wav"));
  ASSERT_EQ(bytes.size(), 1646u);
  EXPECT_EQ(bytes.substr(0, 46), Header8000(1600));  // RIFF length 1638
  // A full disk: the samples never arrive, and that is no success.
  EXPECT_EQ(SonifySeries("/dev/full", std::vector<double>(6000, 1.0), {}).status,
            SonifyStatus::kWriteFailed);
}

struct Track {
  std::string shapes;  // the last block is never sounded
  std::vector<double> bases;
};

// Five series of 50 values in file order, each with its own rises and falls.
const Track kTracks[] = {
    {"uuuuf", {0, 10, 20, 30, 40}},  // lpvar: a steady climb
    {"ududf", {0, 20, 40, 10, 0}},   // lpdev: two peaks
    {"duddf", {30, 0, 50, 20, 0}},   // alpdev: one peak, then two falls
    {"udduf", {5, 40, 20, 60, 0}},   // lpmax: one peak, then a climb
    {"fffff", {10, 30, 20, 0, 40}},  // cvar: flat blocks
};
const char* const kSuffixes[] = {"_lpvar.wav", "_lpdev.wav", "_alpdev.wav", "_lpmax.wav",
                                 "_cumdevVar.wav"};

CompositeSeries SeriesOfTracks() {
  CompositeSeries series;
  series.eggCount.assign(50, 10);
  std::vector<double>* arrays[] = {&series.lpvar, &series.lpdev, &series.alpdev, &series.lpmax,
                                   &series.cvar};
  for (int i = 0; i < 5; ++i) *arrays[i] = Blocks(kTracks[i].shapes, kTracks[i].bases);
  return series;
}

// What a track sounds like at 11025 Hz: a full ramp is a 1094 msec note
// (150 + 850 * 10/9), a flat block a 150 msec one; a rest of 250 msec before
// every fall that follows a rise; pitch by the block's mean within the range
// of all fifty values.
std::vector<testing::Sound> ExpectedSounds(const Track& track) {
  const std::vector<double> values = Blocks(track.shapes, track.bases);
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  std::vector<testing::Sound> sounds;
  for (std::size_t k = 0; k + 1 < track.shapes.size(); ++k) {
    const char shape = track.shapes[k];
    if (k > 0 && track.shapes[k - 1] == 'u' && shape == 'd') sounds.push_back({true, 2756, 0.0});
    const double mean = track.bases[k] + (shape == 'f' ? 0.0 : 4.5);
    sounds.push_back(
        {false, shape == 'f' ? 1653u : 12061u, 200.0 + (mean - *low) / (*high - *low) * 1800.0});
  }
  return sounds;
}

struct AudioRun {
  testing::TempDir dir;
  testing::RecordingLink link;
  RunContext context{&link, &link};

  AudioRun() {
    context.settings.dataName = "Quake";
    context.settings.rootDirectory = context.settings.outputDirectory = dir.path();
    context.settings.audio = true;
    context.settings.audioSettings = TenValueBlocks();
    context.settings.audioSettings.sampleRate = 11025;
  }
  std::string File(const char* suffix) const { return dir.File(std::string("Quake") + suffix); }
};

TEST(CreateAudioFilesTest, FiveFilesSoundTheirSeriesTheSameWithOrWithoutADevice) {
  testing::TempDir logs;
  SetLogPath(logs.File("egg.log"));
  SetLogProgress(true);
  AudioRun withSound, withoutSound;
  testing::WriteFile(withSound.File("_lpvar.wav"), std::string(3000000, 'x'));  // replaced whole
  CreateAudioFiles(withSound.context, SeriesOfTracks(), 1);
  EXPECT_FALSE(FileExists(logs.File("egg.log")));
  CreateAudioFiles(withoutSound.context, SeriesOfTracks(), 0);
  SetLogProgress(false);
  SetLogPath("");
  EXPECT_EQ(ReadFile(logs.File("egg.log")), "Audio card not detected\n");
  EXPECT_TRUE(withSound.link.messages().empty() && withoutSound.link.messages().empty());
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(kSuffixes[i]);
    ASSERT_TRUE(FileExists(withSound.File(kSuffixes[i])));
    testing::ExpectSoundLayout(testing::ReadWaveSamples(withSound.File(kSuffixes[i])),
                               ExpectedSounds(kTracks[i]), 11025);
    EXPECT_EQ(ReadFile(withoutSound.File(kSuffixes[i])), ReadFile(withSound.File(kSuffixes[i])));
  }

  // Real readers agree on the format, the length and the samples; Python's
  // wave module walks the chunks itself.
  const std::string path = withSound.File("_lpvar.wav");
  const std::vector<std::int16_t> samples = testing::ReadWaveSamples(path);
  const std::string count = std::to_string(samples.size());
  EXPECT_EQ(Shell("for o in c r b e s; do soxi -$o '" + path + "'; done | tr '\\n' ' '"),
            "1 11025 16 Signed Integer PCM " + count);
  EXPECT_NEAR(std::atof(Shell("soxi -D '" + path + "'").c_str()), samples.size() / 11025.0, 1e-5);
  long long sum = 0, absolute = 0;
  for (const std::int16_t s : samples) sum += s, absolute += std::abs(s);
  testing::WriteFile(withSound.dir.File("read.py"),
                     "import wave, struct, sys\n"
                     "w = wave.open(sys.argv[1], 'rb')\n"
                     "n = w.getnframes()\n"
                     "data = struct.unpack('<%dh' % n, w.readframes(n))\n"
                     "print(w.getnchannels(), w.getsampwidth(), w.getframerate(), n, sum(data),"
                     " sum(abs(v) for v in data))\n");
  EXPECT_EQ(Shell("python3 '" + withSound.dir.File("read.py") + "' '" + path + "'"),
            "1 2 11025 " + count + " " + std::to_string(sum) + " " + std::to_string(absolute));
}

TEST(CreateAudioFilesTest, RefusedSettingsOrTooManyNotesWriteNothing) {
  AudioRun zeroRate;
  zeroRate.context.settings.audioSettings.sampleRate = 0;
  CreateAudioFiles(zeroRate.context, SeriesOfTracks(), 1);
  EXPECT_EQ(zeroRate.link.messageTexts(),
            std::vector<std::string>{"Quake: Audio files not written: Sample rate must be between "
                                     "1 and 192000 Hz (it is 0)."});
  // Only the last file is too large: flat blocks make notes of 0 msec, steep
  // ones of a minute each.
  AudioRun huge;
  AudioSettings& settings = huge.context.settings.audioSettings;
  settings.sampleRate = 192000;
  settings.minNoteLength = 0;
  settings.maxNoteLength = 60000;
  settings.dataBlockSize = 2;
  CompositeSeries series;
  series.eggCount.assign(400, 5);
  series.lpvar = series.lpdev = series.alpdev = series.lpmax = series.cvar =
      std::vector<double>(400, 1.0);
  for (std::size_t i = 0; i < 400; ++i) series.cvar[i] = static_cast<double>(i % 2);
  CreateAudioFiles(huge.context, series, 1);
  EXPECT_EQ(huge.link.messageTexts(),
            std::vector<std::string>{"Quake: Audio files not written: Quake_cumdevVar.wav would "
                                     "exceed the 4 GiB a WAV file can hold."});
  for (const char* suffix : kSuffixes) {
    EXPECT_FALSE(FileExists(zeroRate.File(suffix)) || FileExists(huge.File(suffix))) << suffix;
  }
  // Files that cannot be created are each reported; the run goes on.
  AudioRun missing;
  missing.context.settings.outputDirectory = missing.dir.File("missing/");
  CreateAudioFiles(missing.context, SeriesOfTracks(), 1);
  EXPECT_EQ(missing.link.messageTexts(),
            std::vector<std::string>(5, "Failed to open audio file for write"));
  EXPECT_FALSE(missing.context.Aborted());
}

TEST(AudioDevicesTest, CountsPlaybackEntriesAndAnswersZeroWithoutSound) {
  testing::TempDir dir;
  testing::WriteFile(dir.File("pcm"),
                     "00-00: ALC887 Analog : ALC887 Analog : playback 1 : capture 1\n"
                     "00-02: ALC887 Alt Analog : ALC887 Alt Analog : capture 1\n"
                     "01-03: HDMI 0 : HDMI 0 : playback 1\n");
  EXPECT_EQ(CountPlaybackDevices(dir.File("pcm")), 2);
  EXPECT_EQ(CountPlaybackDevices(dir.File("absent")), 0);
}

TEST(AudioSettingsCheckTest, RefusesRatesAndLengthsThatCannotBeSynthesised) {
  // Accepted at the limits, and what is handled where it is used: clipping,
  // clamping, no blocks.
  AudioSettings s;
  s.sampleRate = 1;
  s.minNoteLength = s.maxNoteLength = 0;
  s.restLength = 60000;
  s.level = 200;
  s.modulationDepth = -40;
  s.dataBlockSize = 0;
  EXPECT_EQ(AudioSettingsError(s), std::nullopt);
  s.sampleRate = 192001;
  EXPECT_EQ(AudioSettingsError(s), "Sample rate must be between 1 and 192000 Hz (it is 192001).");
  s.sampleRate = 8000;
  s.minNoteLength = -1;
  EXPECT_EQ(AudioSettingsError(s), "Min note length must be between 0 and 60000 msec (it is -1).");
  s.minNoteLength = 1001;
  s.maxNoteLength = 1000;
  EXPECT_EQ(AudioSettingsError(s),
            "Min note length (1001 msec) must not exceed max note length (1000 msec).");
  s.maxNoteLength = 60001;
  EXPECT_TRUE(AudioSettingsError(s));
  s.maxNoteLength = 2000;
  s.restLength = -250;
  EXPECT_TRUE(AudioSettingsError(s));
}

}  // namespace
}  // namespace corvane
