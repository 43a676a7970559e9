// The controls of the request form, laid out in two frames: " BATCH " (the
// batch file and "Run batch file") above "INTERACTIVE" (times, data source,
// analyses, display choice, the other buttons, the progress bar, "Bytes
// rcvd" and the status line).
//
// Pull copies the controls into the model's fields in the order of the
// form's exchange and stops at the first control that does not hold its kind
// of value (the message is shown through the view; see field_binding.h). A
// radio group with no button checked leaves its field as it was. Push copies
// the fields to the controls and applies the enabling rules, which also
// follow the user's clicks at once: "Save remote input" is enabled with
// "Remote access", "Coeff" with the exponential filter and "Size" with the
// other two, "DFT Size" with "DFT", the three intervals with "Compare Egg
// Intervals". While the form is busy the buttons that would start a run are
// disabled; "Stop" stays enabled.
//
// Keyboard: every field label, push button and the " Display Variables "
// group carry an access key, each letter once in the window together with
// the menu titles (File, Options, Help take F, O and H); the check boxes,
// the other two groups and the radio buttons are reached with Tab and the
// arrow keys (the fixed texts hold only 21 different letters). Enter on a
// focused push button presses it; Enter anywhere else in the form presses
// "Analyze data" when it is enabled. Every control has a tooltip saying what
// it is, its unit and its range (form_tooltips.h).
#pragma once

#include <QWidget>

#include "app/form_fields.h"
#include "app/form_view.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace corvane {

class RequestForm : public QWidget {
  Q_OBJECT

 public:
  explicit RequestForm(QWidget* parent = nullptr);

  bool Pull(AnalysisFields& fields, DialogView& view) const;
  void Push(const AnalysisFields& fields);
  // Only the status line and "Bytes rcvd".
  void PushStatus(const AnalysisFields& fields);
  void SetProgress(int percent);
  void SetBusy(bool busy);

  // The controls, for the window's connections and for tests.
  QGroupBox* batchFrame = nullptr;
  QGroupBox* interactiveFrame = nullptr;
  QLineEdit* batchFile = nullptr;
  QPushButton* runBatchButton = nullptr;

  QLineEdit* startTime = nullptr;
  QLineEdit* stopTime = nullptr;
  QLineEdit* eventTime = nullptr;
  QLineEdit* eventDuration = nullptr;
  QLineEdit* outputRoot = nullptr;
  QLineEdit* dataName = nullptr;
  QLineEdit* localEggFile = nullptr;
  QLineEdit* eggGroupFile = nullptr;
  QCheckBox* remoteAccess = nullptr;
  QCheckBox* saveRemoteInput = nullptr;
  QCheckBox* audioOutput = nullptr;

  QButtonGroup* smoothing = nullptr;  // ids 0 "Exponential", 1 "Rectangle", 2 "Triangle"
  QLineEdit* smoothWindowSize = nullptr;
  QLineEdit* expCoeff = nullptr;
  QButtonGroup* echoMethod = nullptr;       // ids 0..2
  QButtonGroup* displayVariable = nullptr;  // ids 0..11

  QCheckBox* compareIntervals = nullptr;
  QLineEdit* interval1Start = nullptr;
  QLineEdit* intervalDuration = nullptr;
  QLineEdit* interval2Start = nullptr;
  QCheckBox* dft = nullptr;
  QLineEdit* dftSize = nullptr;

  QPushButton* analyzeButton = nullptr;
  QPushButton* stopButton = nullptr;
  QPushButton* displayButton = nullptr;

  QProgressBar* progress = nullptr;
  QLineEdit* bytesReceived = nullptr;
  QLabel* status = nullptr;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QGroupBox* MakeBatchFrame();
  QGroupBox* MakeInteractiveFrame();
  QWidget* MakeRequestFields();
  QGroupBox* MakeSmoothingGroup();
  QGroupBox* MakeEchoGroup();
  QGroupBox* MakeAnalysesGroup();
  QGroupBox* MakeDisplayGroup();
  QWidget* MakeStatusRow();
  void ApplyEnabling();
};

}  // namespace corvane
