#include "audio/audio_settings_check.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "audio/audio_devices.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

struct Case {
  std::function<void(AudioSettings&)> change;
  std::string says;  // part of the expected message; empty when accepted
};

TEST(AudioSettingsCheckTest, RefusesRatesAndLengthsThatCannotBeSynthesised) {
  EXPECT_EQ(AudioSettingsError(AudioSettings{}), std::nullopt);
  const std::vector<Case> cases = {
      {[](AudioSettings& s) { s.sampleRate = 0; }, "Sample rate must be between 1 and 192000 Hz"},
      {[](AudioSettings& s) { s.sampleRate = -8000; }, "Sample rate"},
      {[](AudioSettings& s) { s.sampleRate = 192001; }, "Sample rate"},
      {[](AudioSettings& s) { s.sampleRate = 1; }, ""},
      {[](AudioSettings& s) { s.sampleRate = 192000; }, ""},
      {[](AudioSettings& s) { s.minNoteLength = -1; },
       "Min note length must be between 0 and 60000"},
      {[](AudioSettings& s) { s.maxNoteLength = 60001; }, "Max note length"},
      {[](AudioSettings& s) { s.maxNoteLength = 2147483647; }, "Max note length"},
      {[](AudioSettings& s) { s.restLength = -250; }, "Rest length"},
      {[](AudioSettings& s) { s.minNoteLength = 1001; },
       "Min note length (1001 msec) must not exceed max note length (1000 msec)"},
      {[](AudioSettings& s) { s.minNoteLength = s.maxNoteLength = 0; }, ""},
      {[](AudioSettings& s) { s.restLength = 60000; }, ""},
      // Handled where they are used: clipping, clamping, no blocks.
      {[](AudioSettings& s) { s.level = 200; }, ""},
      {[](AudioSettings& s) { s.modulationDepth = -40; }, ""},
      {[](AudioSettings& s) { s.dataBlockSize = 0; }, ""},
      {[](AudioSettings& s) { s.minFrequency = 5000; }, ""},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    AudioSettings settings;
    cases[i].change(settings);
    const auto error = AudioSettingsError(settings);
    if (cases[i].says.empty()) {
      EXPECT_EQ(error, std::nullopt) << i << ": " << error.value_or("");
    } else {
      ASSERT_TRUE(error.has_value()) << i;
      EXPECT_NE(error->find(cases[i].says), std::string::npos) << *error;
    }
  }
}

TEST(AudioDevicesTest, CountsPlaybackEntriesAndAnswersZeroWithoutSound) {
  testing::TempDir dir;
  testing::WriteFile(dir.File("pcm"),
                     "00-00: ALC887 Analog : ALC887 Analog : playback 1 : capture 1\n"
                     "00-01: ALC887 Digital : ALC887 Digital : playback 1\n"
                     "00-02: ALC887 Alt Analog : ALC887 Alt Analog : capture 1\n"
                     "01-03: HDMI 0 : HDMI 0 : playback 1\n");
  EXPECT_EQ(CountPlaybackDevices(dir.File("pcm")), 3);
  testing::WriteFile(dir.File("empty"), "");
  EXPECT_EQ(CountPlaybackDevices(dir.File("empty")), 0);
  EXPECT_EQ(CountPlaybackDevices(dir.File("absent")), 0);
}

}  // namespace
}  // namespace corvane
