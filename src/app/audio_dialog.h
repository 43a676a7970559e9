// The Audio dialog ("Audio Synthesis Parameters:") as fields and operations.
//
// Made from the form's AudioSettings (after the form has pulled its values).
// "Set Default" replaces the fields with the defaults and shows them without
// storing anything. Confirm (OK) pulls the fields (a field that is not an
// integer keeps the dialog open), refuses parameters that a run cannot use
// (with a message; the dialog stays open), and otherwise copies the ten
// values into the form and stores them. Cancel changes nothing.
#pragma once

#include "app/form_view.h"
#include "core/audio_settings.h"

namespace corvane {

class AnalysisDialog;

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
