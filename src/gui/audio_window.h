// The "Audio Dialog" ("Audio Synthesis Parameters:"): the ten sonification
// parameters with their units, on the model AudioDialog.
//
// Opened from the form after it has pulled its values, filled from the
// form's audio settings. "Set Default" shows the defaults without storing
// them. "OK" (also Enter) refuses a field that is not an integer, or
// parameters AudioDialogError refuses, with a warning and keeps the dialog
// open; otherwise it copies the values into the form and stores them.
// "Cancel" (or closing the dialog) changes nothing. Every label and button
// has an access key of its own, and every field a tooltip with its range.
#pragma once

#include <array>

#include <QDialog>

#include "app/audio_dialog.h"
#include "app/form_view.h"

class QLineEdit;
class QPushButton;

namespace corvane {

class AnalysisDialog;

class AudioWindow : public QDialog, public DialogView {
  Q_OBJECT

 public:
  AudioWindow(AnalysisDialog& form, QWidget* parent = nullptr);

  bool PullFields() override;
  void PushFields() override;
  void ShowMessage(const std::string& text, const std::optional<std::string>& caption,
                   MessageKind kind = MessageKind::kInformation) override;

  void accept() override;

  // One edit per parameter, in the dialog's order: sample rate, level,
  // modulation rate, modulation depth, minimum and maximum frequency,
  // minimum and maximum note length, rest length, data block size.
  static constexpr int kFieldCount = 10;
  std::array<QLineEdit*, kFieldCount> edits{};
  QPushButton* setDefaultButton = nullptr;
  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;

 private:
  AudioDialog model_;
};

}  // namespace corvane
