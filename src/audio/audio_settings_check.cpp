#include "audio/audio_settings_check.h"

#include "core/c_format.h"

namespace corvane {
namespace {

std::optional<std::string> LengthError(const char* label, int value) {
  if (value >= 0 && value <= kMaxAudioNoteLength) return std::nullopt;
  return CFormat("%s must be between 0 and %d msec (it is %d).", label, kMaxAudioNoteLength, value);
}

}  // namespace

std::optional<std::string> AudioSettingsError(const AudioSettings& settings) {
  if (settings.sampleRate < 1 || settings.sampleRate > kMaxAudioSampleRate) {
    return CFormat("Sample rate must be between 1 and %d Hz (it is %d).", kMaxAudioSampleRate,
                   settings.sampleRate);
  }
  if (auto error = LengthError("Min note length", settings.minNoteLength)) return error;
  if (auto error = LengthError("Max note length", settings.maxNoteLength)) return error;
  if (auto error = LengthError("Rest length", settings.restLength)) return error;
  if (settings.minNoteLength > settings.maxNoteLength) {
    return CFormat("Min note length (%d msec) must not exceed max note length (%d msec).",
                   settings.minNoteLength, settings.maxNoteLength);
  }
  return std::nullopt;
}

}  // namespace corvane
