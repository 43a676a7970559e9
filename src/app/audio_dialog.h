// The Audio dialog ("Audio Synthesis Parameters:") as fields and operations.
//
// Made from the form's AudioSettings (after the form has pulled its values).
// "Set Default" replaces the fields with the defaults and shows them without
// storing anything. Confirm (OK) pulls the fields (a field that is not an
// integer keeps the dialog open), refuses parameters that a run cannot use
// and ranges given upside down (AudioDialogError, shown as a warning; the
// dialog stays open and nothing is stored), and otherwise copies the ten
// values into the form and stores them. Cancel changes nothing.
#pragma once

#include <optional>
#include <string>

#include "app/form_view.h"
#include "core/audio_settings.h"

namespace corvane {

class AnalysisDialog;

// AudioSettingsError, and a minimum frequency or note length that is not
// below its maximum.
std::optional<std::string> AudioDialogError(const AudioSettings& settings);

class AudioDialog {
 public:
  explicit AudioDialog(AnalysisDialog& form);

  AudioSettings fields;

  void SetDefault(DialogView& view);
  // True when the dialog may close.
  bool Confirm(DialogView& view);

 private:
  AnalysisDialog& form_;
};

}  // namespace corvane
