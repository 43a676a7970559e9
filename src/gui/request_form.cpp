#include "gui/request_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/request_values.h"
#include "gui/field_binding.h"
#include "gui/form_tooltips.h"

namespace corvane {

namespace {

QLineEdit* MakeEdit(QWidget* parent, const char* sample) {
  auto* edit = new QLineEdit(parent);
  const int width = edit->fontMetrics().horizontalAdvance(QString::fromLatin1(sample));
  edit->setMinimumWidth(width + 16);
  return edit;
}

// Adds "label [edit]" to row of grid, the label's buddy being the edit.
void AddRow(QGridLayout* grid, int row, const char* label, QWidget* field, int span = 1) {
  auto* text = new QLabel(QString::fromLatin1(label));
  text->setBuddy(field);
  grid->addWidget(text, row, 0);
  grid->addWidget(field, row, 1, 1, span);
}

QRadioButton* AddRadio(QButtonGroup* group, QBoxLayout* layout, const char* label, int id) {
  auto* button = new QRadioButton(QString::fromLatin1(label));
  group->addButton(button, id);
  layout->addWidget(button);
  return button;
}

// Checks the button with the id, or none when no button has it.
void CheckId(QButtonGroup* group, int id) {
  if (QAbstractButton* button = group->button(id)) {
    button->setChecked(true);
    return;
  }
  group->setExclusive(false);
  for (QAbstractButton* button : group->buttons()) button->setChecked(false);
  group->setExclusive(true);
}

void PullId(const QButtonGroup* group, int& field) {
  const int id = group->checkedId();
  if (id >= 0) field = id;
}

}  // namespace

RequestForm::RequestForm(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MakeBatchFrame());
  layout->addWidget(MakeInteractiveFrame(), 1);

  for (QCheckBox* box : {remoteAccess, dft, compareIntervals}) {
    connect(box, &QCheckBox::toggled, this, [this] { ApplyEnabling(); });
  }
  connect(smoothing, &QButtonGroup::idToggled, this, [this] { ApplyEnabling(); });
  AddToolTips(*this);
  Push(AnalysisFields{});
}

QGroupBox* RequestForm::MakeBatchFrame() {
  batchFrame = new QGroupBox(QStringLiteral(" BATCH "), this);
  auto* row = new QHBoxLayout(batchFrame);
  batchFile = MakeEdit(batchFrame, "/home/user/batches/quakes-2011.ebb");
  auto* label = new QLabel(QStringLiteral("&Batch file"));
  label->setBuddy(batchFile);
  runBatchButton = new QPushButton(QStringLiteral("R&un batch file"));
  row->addWidget(label);
  row->addWidget(batchFile, 1);
  row->addWidget(runBatchButton);
  return batchFrame;
}

QGroupBox* RequestForm::MakeInteractiveFrame() {
  interactiveFrame = new QGroupBox(QStringLiteral("INTERACTIVE"), this);
  auto* grid = new QGridLayout(interactiveFrame);

  auto* groups = new QHBoxLayout;
  groups->addWidget(MakeSmoothingGroup());
  groups->addWidget(MakeEchoGroup());
  groups->addWidget(MakeAnalysesGroup(), 1);

  auto* buttons = new QVBoxLayout;
  analyzeButton = new QPushButton(QStringLiteral("&Analyze data"));
  analyzeButton->setDefault(true);
  displayButton = new QPushButton(QStringLiteral("Dis&play"));
  stopButton = new QPushButton(QStringLiteral("&Stop"));
  // Enter on a focused button presses that button, as in a dialog; Enter
  // elsewhere in the form presses "Analyze data" (keyPressEvent).
  for (QPushButton* button : {analyzeButton, displayButton, stopButton, runBatchButton}) {
    button->setAutoDefault(true);
  }
  buttons->addWidget(analyzeButton);
  buttons->addWidget(displayButton);
  buttons->addWidget(stopButton);
  buttons->addStretch(1);

  grid->addWidget(MakeRequestFields(), 0, 0);
  grid->addLayout(groups, 1, 0);
  grid->addWidget(MakeDisplayGroup(), 0, 1, 2, 1);
  grid->addLayout(buttons, 0, 2, 2, 1);
  grid->addWidget(MakeStatusRow(), 2, 0, 1, 3);
  grid->setColumnStretch(0, 1);
  return interactiveFrame;
}

QWidget* RequestForm::MakeRequestFields() {
  auto* box = new QWidget;
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(0, 0, 0, 0);
  const char* const dateSample = "yyyy-mm-dd hh:mm:ss__";
  const char* const pathSample = "/home/user/egg-results/analyses";

  startTime = MakeEdit(box, dateSample);
  stopTime = MakeEdit(box, dateSample);
  eventTime = MakeEdit(box, dateSample);
  eventDuration = MakeEdit(box, "0000.00");
  eventDuration->setMaximumWidth(eventDuration->minimumWidth());
  outputRoot = MakeEdit(box, pathSample);
  dataName = MakeEdit(box, "EggOutput_000");
  localEggFile = MakeEdit(box, pathSample);
  eggGroupFile = MakeEdit(box, pathSample);
  remoteAccess = new QCheckBox(QStringLiteral("Remote access"));
  saveRemoteInput = new QCheckBox(QStringLiteral("Save remote input"));

  AddRow(grid, 0, "S&tart time (yyyy-mm-dd hh:mm:ss)", startTime);
  AddRow(grid, 1, "Stop ti&me  (yyyy-mm-dd hh:mm:ss)", stopTime);
  AddRow(grid, 2, "&Event time  (yyyy-mm-dd hh:mm:ss)", eventTime);
  auto* duration = new QHBoxLayout;
  duration->addWidget(eventDuration);
  duration->addWidget(new QLabel(QStringLiteral("hr.")));
  duration->addStretch(1);
  grid->addLayout(duration, 2, 2, 1, 2);
  AddRow(grid, 3, "&Root directory for output", outputRoot, 3);
  AddRow(grid, 4, "Data &name", dataName);
  AddRow(grid, 5, "&Local egg file ", localEggFile, 3);
  AddRow(grid, 6, "Egg sub&group file", eggGroupFile, 3);
  auto* source = new QHBoxLayout;
  source->addWidget(remoteAccess);
  source->addWidget(saveRemoteInput);
  source->addStretch(1);
  grid->addLayout(source, 7, 1, 1, 3);
  grid->setColumnStretch(3, 1);
  return box;
}

QGroupBox* RequestForm::MakeSmoothingGroup() {
  auto* group = new QGroupBox(QStringLiteral(" Smoothing Filter "));
  auto* column = new QVBoxLayout(group);
  smoothing = new QButtonGroup(group);
  AddRadio(smoothing, column, "Exponential", 0);
  AddRadio(smoothing, column, "Rectangle", 1);
  AddRadio(smoothing, column, "Triangle", 2);

  auto* grid = new QGridLayout;
  smoothWindowSize = MakeEdit(group, "000000");
  expCoeff = MakeEdit(group, "0.000000001");
  AddRow(grid, 0, "Si&ze", smoothWindowSize);
  grid->addWidget(new QLabel(QStringLiteral("(sec)")), 0, 2);
  AddRow(grid, 1, "&Coeff", expCoeff, 2);
  column->addLayout(grid);
  column->addStretch(1);
  return group;
}

QGroupBox* RequestForm::MakeEchoGroup() {
  auto* group = new QGroupBox(QStringLiteral(" Event Echo Method "));
  auto* column = new QVBoxLayout(group);
  echoMethod = new QButtonGroup(group);
  AddRadio(echoMethod, column, "None", 0);
  AddRadio(echoMethod, column, "Correlation", 1);
  AddRadio(echoMethod, column, "Euclidean Distance", 2);
  column->addStretch(1);
  return group;
}

QGroupBox* RequestForm::MakeAnalysesGroup() {
  auto* group = new QGroupBox;
  auto* grid = new QGridLayout(group);
  compareIntervals = new QCheckBox(QStringLiteral("Compare Egg Intervals"));
  interval1Start = MakeEdit(group, "0000000");
  intervalDuration = MakeEdit(group, "0000000");
  interval2Start = MakeEdit(group, "0000000");
  audioOutput = new QCheckBox(QStringLiteral("Audio output"));
  dft = new QCheckBox(QStringLiteral("DFT"));
  dftSize = MakeEdit(group, "0000000");

  grid->addWidget(compareIntervals, 0, 0, 1, 2);
  AddRow(grid, 1, "Interval &1 (sec)", interval1Start);
  AddRow(grid, 2, "Durat&ion (sec)", intervalDuration);
  AddRow(grid, 3, "Interval &2 (sec)", interval2Start);
  grid->addWidget(audioOutput, 4, 0, 1, 2);
  grid->addWidget(dft, 5, 0, 1, 2);
  AddRow(grid, 6, "&DFT Size", dftSize);
  grid->setRowStretch(7, 1);
  return group;
}

QGroupBox* RequestForm::MakeDisplayGroup() {
  auto* group = new QGroupBox(QStringLiteral(" Display &Variables "));
  auto* column = new QVBoxLayout(group);
  displayVariable = new QButtonGroup(group);
  for (int i = 0; i < kDisplayVariableCount; ++i) {
    AddRadio(displayVariable, column, DisplayVariableAt(i).label, i);
  }
  column->addStretch(1);
  return group;
}

QWidget* RequestForm::MakeStatusRow() {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  progress = new QProgressBar;
  progress->setRange(0, 100);
  progress->setValue(0);
  progress->setTextVisible(false);
  bytesReceived = MakeEdit(row, "0000000000");
  bytesReceived->setReadOnly(true);
  bytesReceived->setAlignment(Qt::AlignRight);
  auto* bytesLabel = new QLabel(QStringLiteral("B&ytes rcvd"));
  bytesLabel->setBuddy(bytesReceived);
  status = new QLabel;
  status->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  status->setMinimumWidth(
      status->fontMetrics().horizontalAdvance(QStringLiteral("Computing statistics__")));
  layout->addWidget(progress, 1);
  layout->addWidget(bytesLabel);
  layout->addWidget(bytesReceived);
  layout->addWidget(status, 1);
  return row;
}

bool RequestForm::Pull(AnalysisFields& fields, DialogView& view) const {
  fields.startTime = TextOf(startTime);
  fields.stopTime = TextOf(stopTime);
  PullId(displayVariable, fields.displayVariable);
  fields.outputRoot = TextOf(outputRoot);
  fields.dataName = TextOf(dataName);
  fields.remoteAccess = remoteAccess->isChecked();
  fields.localEggFile = TextOf(localEggFile);
  fields.audioOutput = audioOutput->isChecked();
  if (!PullInt(interval1Start, fields.interval1Start, view)) return false;
  if (!PullInt(intervalDuration, fields.intervalDuration, view)) return false;
  if (!PullInt(interval2Start, fields.interval2Start, view)) return false;
  fields.compareIntervals = compareIntervals->isChecked();
  fields.batchFile = TextOf(batchFile);
  if (!PullInt(smoothWindowSize, fields.smoothWindowSize, view)) return false;
  PullId(smoothing, fields.smoothWindowType);
  fields.eggGroupFile = TextOf(eggGroupFile);
  if (!PullReal(expCoeff, fields.expCoeff, view)) return false;
  fields.eventTime = TextOf(eventTime);
  if (!PullReal(eventDuration, fields.eventDuration, view)) return false;
  fields.dft = dft->isChecked();
  if (!PullInt(dftSize, fields.dftSize, view)) return false;
  fields.saveRemoteInput = saveRemoteInput->isChecked();
  PullId(echoMethod, fields.echoMethod);
  return true;
}

void RequestForm::Push(const AnalysisFields& fields) {
  SetText(startTime, fields.startTime);
  SetText(stopTime, fields.stopTime);
  CheckId(displayVariable, fields.displayVariable);
  SetText(outputRoot, fields.outputRoot);
  SetText(dataName, fields.dataName);
  remoteAccess->setChecked(fields.remoteAccess);
  SetText(localEggFile, fields.localEggFile);
  audioOutput->setChecked(fields.audioOutput);
  PushInt(interval1Start, fields.interval1Start);
  PushInt(intervalDuration, fields.intervalDuration);
  PushInt(interval2Start, fields.interval2Start);
  compareIntervals->setChecked(fields.compareIntervals);
  SetText(batchFile, fields.batchFile);
  PushInt(smoothWindowSize, fields.smoothWindowSize);
  CheckId(smoothing, fields.smoothWindowType);
  SetText(eggGroupFile, fields.eggGroupFile);
  PushReal(expCoeff, fields.expCoeff);
  SetText(eventTime, fields.eventTime);
  PushReal(eventDuration, fields.eventDuration);
  dft->setChecked(fields.dft);
  PushInt(dftSize, fields.dftSize);
  saveRemoteInput->setChecked(fields.saveRemoteInput);
  CheckId(echoMethod, fields.echoMethod);
  PushStatus(fields);
  ApplyEnabling();
}

void RequestForm::PushStatus(const AnalysisFields& fields) {
  PushInt(bytesReceived, fields.bytesReceived);
  status->setText(QString::fromStdString(fields.status));
}

void RequestForm::SetProgress(int percent) { progress->setValue(percent); }

void RequestForm::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  if (!enter || modifiers != Qt::NoModifier) {
    QWidget::keyPressEvent(event);
    return;
  }
  // A field or choice passed the key on: Enter is "Analyze data".
  event->accept();
  if (analyzeButton->isEnabled()) analyzeButton->click();
}

void RequestForm::SetBusy(bool busy) {
  analyzeButton->setEnabled(!busy);
  displayButton->setEnabled(!busy);
  runBatchButton->setEnabled(!busy);
}

void RequestForm::ApplyEnabling() {
  AnalysisFields state;
  state.remoteAccess = remoteAccess->isChecked();
  state.smoothWindowType = smoothing->checkedId();
  state.dft = dft->isChecked();
  state.compareIntervals = compareIntervals->isChecked();
  const ControlEnabling enabling = EnablingOf(state);
  saveRemoteInput->setEnabled(enabling.saveRemoteInput);
  expCoeff->setEnabled(enabling.coeff);
  smoothWindowSize->setEnabled(enabling.windowSize);
  dftSize->setEnabled(enabling.dftSize);
  interval1Start->setEnabled(enabling.intervals);
  intervalDuration->setEnabled(enabling.intervals);
  interval2Start->setEnabled(enabling.intervals);
}

}  // namespace corvane
