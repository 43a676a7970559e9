#include "audio/sonification.h"

#include <array>
#include <span>
#include <vector>

#include "audio/audio_devices.h"
#include "audio/audio_settings_check.h"
#include "audio/note_plan.h"
#include "audio/sonify_series.h"
#include "core/c_format.h"

namespace corvane {
namespace {

struct AudioFile {
  const char* suffix;
  std::vector<double> CompositeSeries::*values;
};

constexpr std::array<AudioFile, 5> kAudioFiles = {{
    {"_lpvar.wav", &CompositeSeries::lpvar},
    {"_lpdev.wav", &CompositeSeries::lpdev},
    {"_alpdev.wav", &CompositeSeries::alpdev},
    {"_lpmax.wav", &CompositeSeries::lpmax},
    {"_cumdevVar.wav", &CompositeSeries::cvar},
}};

constexpr const char* kNotWritten = "Audio files not written: ";

}  // namespace

void CreateAudioFiles(RunContext& context, const CompositeSeries& series) {
  CreateAudioFiles(context, series, CountPlaybackDevices());
}

void CreateAudioFiles(RunContext& context, const CompositeSeries& series, int playbackDevices) {
  const AudioSettings settings = context.settings.audioSettings;
  if (const auto error = AudioSettingsError(settings)) {
    context.RunError(kNotWritten + *error);
    return;
  }
  if (playbackDevices <= 0) context.LogLine("Audio card not detected");

  const std::string stem = context.settings.outputDirectory + context.settings.dataName;
  std::array<std::vector<Note>, kAudioFiles.size()> plans;
  for (std::size_t i = 0; i < kAudioFiles.size(); ++i) {
    plans[i] = PlanNotes(series.*kAudioFiles[i].values, settings);
    if (!FitsWaveFile(plans[i], settings.sampleRate)) {
      context.RunError(CFormat("%s%s%s would exceed the 4 GiB a WAV file can hold.", kNotWritten,
                               context.settings.dataName.c_str(), kAudioFiles[i].suffix));
      return;
    }
  }

  for (std::size_t i = 0; i < kAudioFiles.size(); ++i) {
    const std::string path = stem + kAudioFiles[i].suffix;
    const std::size_t count = (series.*kAudioFiles[i].values).size();
    OutputFile file;
    if (!context.results.Open(file, path, "wb")) {
      context.ShowMessage("Failed to open audio file for write");
      continue;
    }
    // A file left unfinished never counts as part of the run's results.
    const bool written =
        WriteSonification(file, plans[i], count, settings).status == SonifyStatus::kWritten &&
        context.results.Finish(file);
    if (!written) {
      context.ShowMessage("Failed to write audio file " + path +
                          (file.Reason().empty() ? std::string() : ": " + file.Reason()));
    }
  }
}

}  // namespace corvane
