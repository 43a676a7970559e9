#include "app/audio_dialog.h"

#include "app/analysis_dialog.h"
#include "app/persisted_settings.h"
#include "app/request_checks.h"
#include "audio/audio_settings_check.h"

namespace corvane {

AudioDialog::AudioDialog(AnalysisDialog& form) : fields(form.config.audio), form_(form) {}

void AudioDialog::SetDefault(DialogView& view) {
  fields = AudioSettings{};
  view.PushFields();
}

bool AudioDialog::Confirm(DialogView& view) {
  if (!view.PullFields()) return false;
  if (Refusal refusal = AudioSettingsError(fields)) {
    view.ShowMessage(*refusal, std::nullopt);
    return false;
  }
  form_.config.audio = fields;
  WriteAudioSettings(form_.store(), fields);
  return true;
}

}  // namespace corvane
