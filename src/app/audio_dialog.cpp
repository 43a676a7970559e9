#include "app/audio_dialog.h"

#include "app/analysis_dialog.h"
#include "app/persisted_settings.h"
#include "audio/audio_settings_check.h"
#include "core/c_format.h"

namespace corvane {

std::optional<std::string> AudioDialogError(const AudioSettings& settings) {
  if (auto error = AudioSettingsError(settings)) return error;
  // The notes span the range from minimum to maximum: a range given upside
  // down (or empty) is a typing slip, not a choice.
  if (settings.minFrequency >= settings.maxFrequency) {
    return CFormat("Min frequency (%d Hz) must be below Max frequency (%d Hz).",
                   settings.minFrequency, settings.maxFrequency);
  }
  if (settings.minNoteLength >= settings.maxNoteLength) {
    return CFormat("Min note length (%d msec) must be below Max note length (%d msec).",
                   settings.minNoteLength, settings.maxNoteLength);
  }
  return std::nullopt;
}

AudioDialog::AudioDialog(AnalysisDialog& form) : fields(form.config.audio), form_(form) {}

void AudioDialog::SetDefault(DialogView& view) {
  fields = AudioSettings{};
  view.PushFields();
}

bool AudioDialog::Confirm(DialogView& view) {
  if (!view.PullFields()) return false;
  if (const auto refusal = AudioDialogError(fields)) {
    view.ShowMessage(*refusal, std::nullopt, MessageKind::kWarning);
    return false;
  }
  form_.config.audio = fields;
  WriteAudioSettings(form_.store(), fields);
  return true;
}

}  // namespace corvane
