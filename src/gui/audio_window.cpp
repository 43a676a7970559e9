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
  const char* label;
  const char* unit;
  int AudioSettings::*value;
};

constexpr std::array<AudioRow, AudioWindow::kFieldCount> kRows{{
    {"Sample rate", "Hz", &AudioSettings::sampleRate},
    {"Level", "dB", &AudioSettings::level},
    {"Modulation rate", "Hz", &AudioSettings::modulationRate},
    {"Modulation depth", "Pct", &AudioSettings::modulationDepth},
    {"Min frequency", "Hz", &AudioSettings::minFrequency},
    {"Max frequency", "Hz", &AudioSettings::maxFrequency},
    {"Min note length", "msec", &AudioSettings::minNoteLength},
    {"Max note length", "msec", &AudioSettings::maxNoteLength},
    {"Rest length", "msec", &AudioSettings::restLength},
    {"Data block size", "sec", &AudioSettings::dataBlockSize},
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
    auto* label = new QLabel(QString::fromLatin1(row.label));
    label->setBuddy(edit);
    grid->addWidget(label, i, 0);
    grid->addWidget(edit, i, 1);
    grid->addWidget(new QLabel(QString::fromLatin1(row.unit)), i, 2);
    edits[static_cast<size_t>(i)] = edit;
  }

  auto* buttons = new QDialogButtonBox;
  setDefaultButton = buttons->addButton(QStringLiteral("Set Default"), QDialogButtonBox::ResetRole);
  cancelButton = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  okButton = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  okButton->setDefault(true);
  layout->addWidget(buttons);
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

void AudioWindow::ShowMessage(const std::string& text, const std::optional<std::string>& caption) {
  ShowMessageBox(this, text, caption);
}

void AudioWindow::accept() {
  if (model_.Confirm(*this)) QDialog::accept();
}

}  // namespace corvane
