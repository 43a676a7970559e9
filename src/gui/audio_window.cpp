#include "gui/audio_window.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/field_binding.h"
#include "gui/message_box.h"

namespace corvane {

namespace {

struct AudioRow {
  const char* label;  // with its access key
  const char* unit;
  int AudioSettings::*value;
  const char* tip;
};

constexpr std::array<AudioRow, AudioWindow::kFieldCount> kRows{{
    {"&Sample rate", "Hz", &AudioSettings::sampleRate,
     "Samples per second of the WAV files, 1 to 192000 Hz (8000 by default)."},
    {"&Level", "dB", &AudioSettings::level,
     "Loudness of the notes in dB (70 by default); louder notes clip at the 16-bit limit."},
    {"&Modulation rate", "Hz", &AudioSettings::modulationRate,
     "Vibrato of each note, in cycles per second (6 by default)."},
    {"Mod&ulation depth", "Pct", &AudioSettings::modulationDepth,
     "Depth of the vibrato in percent, 0 to 100 (30 by default; larger values count as 100)."},
    {"M&in frequency", "Hz", &AudioSettings::minFrequency,
     "Pitch of the lowest value, in Hz; below Max frequency (200 by default)."},
    {"Max &frequency", "Hz", &AudioSettings::maxFrequency,
     "Pitch of the highest value, in Hz; above Min frequency (2000 by default)."},
    {"Min &note length", "msec", &AudioSettings::minNoteLength,
     "Shortest note in milliseconds, 0 to 60000; below Max note length (100 by default)."},
    {"M&ax note length", "msec", &AudioSettings::maxNoteLength,
     "Longest note in milliseconds, up to 60000; above Min note length (1000 by default)."},
    {"&Rest length", "msec", &AudioSettings::restLength,
     "Silence between blocks in milliseconds, 0 to 60000 (250 by default)."},
    {"Data &block size", "sec", &AudioSettings::dataBlockSize,
     "Seconds of data that one note stands for (500 by default; below 2 gives no notes)."},
}};

}  // namespace

AudioWindow::AudioWindow(AnalysisDialog& form, QWidget* parent) : QDialog(parent), model_(form) {
  setWindowTitle(QStringLiteral("Audio Dialog"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Audio Synthesis Parameters:")));
  auto* grid = new QGridLayout;
  layout->addLayout(grid);
  for (int i = 0; i < kFieldCount; ++i) {
    const AudioRow& row = kRows[static_cast<size_t>(i)];
    auto* edit = new QLineEdit;
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")));
    edit->setToolTip(QString::fromLatin1(row.tip));
    auto* label = new QLabel(QString::fromLatin1(row.label));
    label->setBuddy(edit);
    grid->addWidget(label, i, 0);
    grid->addWidget(edit, i, 1);
    grid->addWidget(new QLabel(QString::fromLatin1(row.unit)), i, 2);
    edits[static_cast<size_t>(i)] = edit;
  }

  auto* buttons = new QDialogButtonBox;
  // In the dialog before the default is set: a button outside it cannot
  // become the dialog's default, and Enter would press the first button.
  layout->addWidget(buttons);
  setDefaultButton =
      buttons->addButton(QStringLiteral("Set &Default"), QDialogButtonBox::ResetRole);
  setDefaultButton->setToolTip(QStringLiteral("Show the default values; OK stores them."));
  cancelButton = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
  okButton = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
  okButton->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &AudioWindow::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &AudioWindow::reject);
  connect(setDefaultButton, &QPushButton::clicked, this, [this] { model_.SetDefault(*this); });
  PushFields();
}

bool AudioWindow::PullFields() {
  for (size_t i = 0; i < kRows.size(); ++i) {
    if (!PullInt(edits[i], model_.fields.*kRows[i].value, *this)) return false;
  }
  return true;
}

void AudioWindow::PushFields() {
  for (size_t i = 0; i < kRows.size(); ++i) PushInt(edits[i], model_.fields.*kRows[i].value);
}

void AudioWindow::ShowMessage(const std::string& text, const std::optional<std::string>& caption,
                              MessageKind kind) {
  ShowMessageBox(this, text, caption, kind);
}

void AudioWindow::accept() {
  if (model_.Confirm(*this)) QDialog::accept();
}

}  // namespace corvane
