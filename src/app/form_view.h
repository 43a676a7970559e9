// What the form and its dialogs ask of whatever shows them: the desktop
// window, the headless runner or a test.
//
// All calls come on the form's thread. A view binds its controls to the
// model's plain fields: PullFields copies the controls' values into the
// fields and PushFields copies the fields to the controls.
#pragma once

#include <optional>
#include <string>

#include "core/form_link.h"

namespace corvane {

// The field exchange and message box of a form or dialog.
class DialogView {
 public:
  virtual ~DialogView() = default;

  // Copies the controls' values into the model's fields. A value that does
  // not parse is refused with FieldExchange's messages ("Please enter an
  // integer.", "Please enter a number."); the view shows the message and
  // returns false, and the action that pulled stops.
  virtual bool PullFields() = 0;

  // Copies the model's fields (and the enabling of the controls) to the
  // controls.
  virtual void PushFields() = 0;

  // A modal message with an OK button and the icon of its kind; returns
  // once acknowledged. caption nullopt is the platform's default caption
  // (the program's name).
  virtual void ShowMessage(const std::string& text, const std::optional<std::string>& caption,
                           MessageKind kind = MessageKind::kInformation) = 0;
};

// The platform's choosers. Titles are shown as given; filters are in the
// "Description (*.a;*.b)|*.a;*.b|...||" form (see file_choosers.h). current
// is the value of the field being chosen for: a chooser opens where it
// points (ChooserStartDirectory in file_choosers.h).
class Choosers {
 public:
  virtual ~Choosers() = default;
  // An existing file, or empty when the user cancels.
  virtual std::string ChooseFile(const std::string& title, const std::string& filter,
                                 const std::string& current = {}) = 0;
  // A directory's full path without a trailing separator, or empty when the
  // user cancels.
  virtual std::string ChooseFolder(const std::string& title, const std::string& current = {}) = 0;
};

// The main form's view.
class FormView : public DialogView, public Choosers {
 public:
  // Shows the status text and the received-bytes count only (a refresh from
  // a running job must not overwrite what the user is typing elsewhere).
  virtual void PushStatus() = 0;
  virtual void SetWaitCursor(bool on) = 0;
  // The progress bar, 0..100.
  virtual void SetProgress(int percent) = 0;
  // Hands a URL (web page or local file) to the user's default opener.
  // False when it could not be handed over.
  virtual bool OpenUrl(const std::string& url) = 0;
  // Batch mode has ended: itemsStarted items were taken up, and stopped
  // tells whether "Stop" ended the batch early.
  virtual void BatchFinished(int itemsStarted, bool stopped) = 0;
  // The form has made or released its job (AnalysisDialog::Busy() may have
  // changed): a window enables the commands that start a run exactly when
  // the form is not busy.
  virtual void BusyChanged() {}
};

}  // namespace corvane
