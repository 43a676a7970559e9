#include "gui/customize_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/field_binding.h"
#include "gui/message_box.h"
#include "output/plot_picture.h"

namespace corvane {

CustomizeWindow::CustomizeWindow(AnalysisDialog& form, QWidget* parent)
    : QDialog(parent), model_(form), choosers_(this) {
  setWindowTitle(QStringLiteral("Customize"));
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  layout->addLayout(grid);

  // Access keys: one letter each in the dialog, so the five "Browse" and two
  // "Default" buttons take different letters of their word.
  outputRoot = AddField(grid, 0, "Output root d&irectory", &browseOutputRoot, "&Browse");
  tempDirectory = AddField(grid, 1, "Temp director&y", &browseTempDirectory, "B&rowse");
  eggGroupFile = AddField(grid, 2, "EGG subgroup &file", &browseEggGroupFile, "Bro&wse");
  remoteSaveDirectory =
      AddField(grid, 3, "Re&mote file save directory", &browseRemoteSaveDirectory, "Brow&se");
  saveCompressed = new QCheckBox(QStringLiteral("Sa&ve Compressed"));
  grid->addWidget(saveCompressed, 4, 1);
  gnuplotPath = AddField(grid, 5, "&Gnuplot executable", &browseGnuplot, "Brows&e");
  timeZoneUrl = AddField(grid, 6, "Time &zone converter URL", nullptr, nullptr);
  dataUrl = AddField(grid, 7, "Base of egg data &URL", &defaultDataUrl, "&Default");
  pseudoDataUrl =
      AddField(grid, 8, "Base of &pseudo egg data URL", &defaultPseudoDataUrl, "Def&ault");
  logProgress = new QCheckBox(QStringLiteral("&Log progress"));
  grid->addWidget(logProgress, 9, 1);
  plotPictures = new QComboBox;
  // Listed in the order of PictureFormat.
  for (const PictureFormat format :
       {PictureFormat::kNone, PictureFormat::kPng, PictureFormat::kSvg, PictureFormat::kPdf}) {
    const QString name = QString::fromLatin1(PictureFormatName(format));
    plotPictures->addItem(format == PictureFormat::kNone ? name : name.toUpper());
  }
  auto* picturesLabel = new QLabel(QStringLiteral("Plo&t pictures"));
  picturesLabel->setBuddy(plotPictures);
  grid->addWidget(picturesLabel, 10, 0);
  grid->addWidget(plotPictures, 10, 1, Qt::AlignLeft);
  grid->setColumnStretch(1, 1);
  AddToolTips();

  auto* buttons = new QDialogButtonBox;
  // In the dialog before the default is set (see AudioWindow).
  layout->addWidget(buttons);
  buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
  buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &CustomizeWindow::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CustomizeWindow::reject);

  connect(browseOutputRoot, &QPushButton::clicked, this,
          [this] { model_.BrowseOutputRoot(*this, choosers_); });
  connect(browseTempDirectory, &QPushButton::clicked, this,
          [this] { model_.BrowseTempDirectory(*this, choosers_); });
  connect(browseEggGroupFile, &QPushButton::clicked, this,
          [this] { model_.BrowseSubgroupFile(*this, choosers_); });
  connect(browseRemoteSaveDirectory, &QPushButton::clicked, this,
          [this] { model_.BrowseRemoteSaveDirectory(*this, choosers_); });
  connect(browseGnuplot, &QPushButton::clicked, this,
          [this] { model_.BrowseGnuplot(*this, choosers_); });
  connect(defaultDataUrl, &QPushButton::clicked, this,
          [this] { model_.RestoreDefaultDataUrl(*this); });
  connect(defaultPseudoDataUrl, &QPushButton::clicked, this,
          [this] { model_.RestoreDefaultPseudoDataUrl(*this); });
  PushFields();
}

QLineEdit* CustomizeWindow::AddField(QGridLayout* grid, int row, const char* label,
                                     QPushButton** button, const char* buttonText) {
  auto* edit = new QLineEdit;
  edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(
      QStringLiteral("http://127.0.0.1:8642/pseudoeggs.dir/pseudoeggs/__")));
  auto* text = new QLabel(QString::fromLatin1(label));
  text->setBuddy(edit);
  grid->addWidget(text, row, 0);
  grid->addWidget(edit, row, 1);
  if (button != nullptr) {
    *button = new QPushButton(QString::fromLatin1(buttonText));
    (*button)->setAutoDefault(false);
    grid->addWidget(*button, row, 2);
  }
  return edit;
}

void CustomizeWindow::AddToolTips() {
  const std::pair<QWidget*, const char*> tips[] = {
      {outputRoot,
       "Existing folder below which each run writes its results (the form's \"Root "
       "directory for output\")."},
      {tempDirectory, "Writable folder for the progress logs and the downloads in progress."},
      {eggGroupFile, "Optional subgroup file (.esg) naming the eggs to use; empty: every egg."},
      {remoteSaveDirectory,
       "Folder that keeps the downloaded day files when the form's \"Save "
       "remote input\" is on; empty: the run's own folder."},
      {saveCompressed, "Keep the downloaded day files gzip-compressed (.gz) instead of as .csv."},
      {gnuplotPath, "The gnuplot program that shows the plots; empty: gnuplot on the PATH."},
      {timeZoneUrl, "Web page opened by File > Open Time Zone Converter."},
      {dataUrl, "Address of the data server's request for egg data (\"Default\" restores it)."},
      {pseudoDataUrl,
       "Address of the data server's pseudo-egg data, used for data names holding "
       "PED (\"Default\" restores it)."},
      {logProgress, "Write the progress logs egg.log and eggnet.log in the temp directory."},
      {plotPictures,
       "Also draw each run's plot as a picture, NAME.png, NAME.svg or NAME.pdf beside its "
       "script (1200 x 750), without opening a window; none: no picture."},
  };
  for (const auto& [widget, tip] : tips) widget->setToolTip(QString::fromLatin1(tip));
}

bool CustomizeWindow::PullFields() {
  CustomizeDialog::Fields& fields = model_.fields;
  fields.outputRoot = TextOf(outputRoot);
  fields.tempDirectory = TextOf(tempDirectory);
  fields.eggGroupFile = TextOf(eggGroupFile);
  fields.remoteSaveDirectory = TextOf(remoteSaveDirectory);
  fields.saveCompressed = saveCompressed->isChecked();
  fields.gnuplotPath = TextOf(gnuplotPath);
  fields.timeZoneUrl = TextOf(timeZoneUrl);
  fields.dataUrl = TextOf(dataUrl);
  fields.pseudoDataUrl = TextOf(pseudoDataUrl);
  fields.logProgress = logProgress->isChecked();
  fields.plotPictures = static_cast<PictureFormat>(plotPictures->currentIndex());
  return true;
}

void CustomizeWindow::PushFields() {
  const CustomizeDialog::Fields& fields = model_.fields;
  SetText(outputRoot, fields.outputRoot);
  SetText(tempDirectory, fields.tempDirectory);
  SetText(eggGroupFile, fields.eggGroupFile);
  SetText(remoteSaveDirectory, fields.remoteSaveDirectory);
  saveCompressed->setChecked(fields.saveCompressed);
  SetText(gnuplotPath, fields.gnuplotPath);
  SetText(timeZoneUrl, fields.timeZoneUrl);
  SetText(dataUrl, fields.dataUrl);
  SetText(pseudoDataUrl, fields.pseudoDataUrl);
  logProgress->setChecked(fields.logProgress);
  plotPictures->setCurrentIndex(static_cast<int>(fields.plotPictures));
}

void CustomizeWindow::ShowMessage(const std::string& text,
                                  const std::optional<std::string>& caption, MessageKind kind) {
  ShowMessageBox(this, text, caption, kind);
}

void CustomizeWindow::accept() {
  PullFields();
  model_.Confirm();
  QDialog::accept();
}

void CustomizeWindow::reject() {
  model_.Cancel();
  QDialog::reject();
}

}  // namespace corvane
