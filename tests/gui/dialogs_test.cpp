// The dialogs of the window: Customize, Audio and the calculator, what they
// store on Enter and on Cancel; the file and folder choosers over Customize:
// where they open, and Cancel; and a file dropped on the window.
#include <filesystem>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "core/default_urls.h"
#include "gui/audio_window.h"
#include "gui/calculator_window.h"
#include "gui/customize_window.h"
#include "gui_test_support.h"

namespace corvane::testing {
namespace {

using DialogsTest = WindowTest;
using ChooserTest = WindowTest;

const std::vector<std::string> kConfigurationNames = {
    "LogProgress", "SaveCompressed", "TempDir",       "DataDir",      "RemoteSaveDir", "GnuplotDir",
    "TimeZoneURL", "DataURL",        "PseudoDataURL", "EggGroupFile", "PlotPictures"};

// Clicks the dialog's button with the text, from the event loop.
void ClickLaterNamed(QWidget* dialog, const QString& text) {
  for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
    if (WithoutAccessKey(button->text()) == text) ClickLater(button);
  }
}

// What a chooser showed when it opened.
struct Opened {
  QString title;
  QString directory;
};

// Answers the next chooser by cancelling it, recording where it opened.
void CancelNextChooser(ModalAnswerer& answerer, Opened& opened) {
  answerer.Then([&opened](QWidget* modal) {
    auto* chooser = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(chooser, nullptr);
    opened = {chooser->windowTitle(), chooser->directory().absolutePath()};
    QMetaObject::invokeMethod(chooser, &QDialog::reject, Qt::QueuedConnection);
  });
}

QString Canonical(const std::string& path) {
  return QDir(QString::fromStdString(path)).canonicalPath();
}

// Customize's choosers open at the folder of their field's value, else at
// the home folder, and Cancel keeps the field; then Enter (the default
// button, OK) stores the eleven values as typed, and Cancel stores nothing.
TEST_F(ChooserTest, CustomizeChoosersOpenAtTheFieldsFolderAndCancelKeepsIt) {
  const std::string data = dir.path() + "data";
  const std::string groups = dir.path() + "groups";
  std::filesystem::create_directories(data);
  std::filesystem::create_directories(groups);
  WriteFile(groups + "/europe.esg", "1\n1001\n");

  // The dialog, then each chooser over it in turn, then Enter: the answerer
  // hands the dialog back to the next handler whenever a chooser closes.
  std::vector<Opened> opened(5);
  CustomizeWindow* dialog = nullptr;
  answerer->Then([&](QWidget* modal) {
    dialog = qobject_cast<CustomizeWindow*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(BuddyLabelText(dialog->outputRoot), "Output root directory");
    EXPECT_EQ(BuddyLabelText(dialog->pseudoDataUrl), "Base of pseudo egg data URL");
    EXPECT_EQ(dialog->tempDirectory->text().toStdString(), dir.path());
    // "Plot pictures" offers none and the three formats.
    EXPECT_EQ(BuddyLabelText(dialog->plotPictures), "Plot pictures");
    QStringList items;
    for (int i = 0; i < dialog->plotPictures->count(); ++i)
      items << dialog->plotPictures->itemText(i);
    EXPECT_EQ(items, (QStringList{"none", "PNG", "SVG", "PDF"}));
    EXPECT_EQ(dialog->plotPictures->currentText(), "none");
    EXPECT_FALSE(dialog->plotPictures->toolTip().isEmpty());
    dialog->plotPictures->setCurrentText("SVG");
    dialog->dataUrl->setText("http://example.org/x");
    dialog->defaultDataUrl->click();  // before OK: the default comes back
    dialog->saveCompressed->setChecked(true);
    dialog->outputRoot->setText(QString::fromStdString(data));                        // a folder
    dialog->tempDirectory->setText(QString::fromStdString(dir.path() + "gone/tmp"));  // missing
    dialog->eggGroupFile->setText(QString::fromStdString(groups + "/europe.esg"));    // a file
    dialog->remoteSaveDirectory->setText("");                                         // empty
    dialog->gnuplotPath->setText("gnuplot");                                          // a bare name
    ClickLater(dialog->browseOutputRoot);
  });
  for (size_t i = 0; i < 5; ++i) {
    CancelNextChooser(*answerer, opened[i]);
    answerer->Then([&dialog, i](QWidget*) {
      QPushButton* const next[] = {dialog->browseTempDirectory, dialog->browseEggGroupFile,
                                   dialog->browseRemoteSaveDirectory, dialog->browseGnuplot};
      if (i < 4) {
        ClickLater(next[i]);
      } else {
        dialog->outputRoot->setFocus();
        QTest::keyClick(dialog->outputRoot, Qt::Key_Return);
      }
    });
  }
  window().actions().customize->trigger();
  ASSERT_TRUE(answerer->HandlersDone());

  const QString home = QDir::homePath();
  EXPECT_EQ(opened[0].title, "Browse to data folder");
  EXPECT_EQ(opened[0].directory, Canonical(data));
  EXPECT_EQ(opened[1].directory, home);
  EXPECT_EQ(opened[2].title, "Open Egg Subgroup File");
  EXPECT_EQ(opened[2].directory, Canonical(groups));
  EXPECT_EQ(opened[4].title, "Locate gnuplot");
  EXPECT_EQ(opened[4].directory, home);
  // Every chooser was cancelled: the fields were stored as typed.
  for (const std::string& name : kConfigurationNames) {
    EXPECT_TRUE(StoredSetting(name).has_value()) << name;
  }
  EXPECT_EQ(StoredSetting("DataDir"), data);
  EXPECT_EQ(StoredSetting("TempDir"), dir.path() + "gone/tmp");
  EXPECT_EQ(StoredSetting("EggGroupFile"), groups + "/europe.esg");
  EXPECT_EQ(StoredSetting("RemoteSaveDir"), "");
  EXPECT_EQ(StoredSetting("GnuplotDir"), "gnuplot");
  EXPECT_EQ(StoredSetting("DataURL"), kDefaultDataUrl);
  EXPECT_EQ(StoredSetting("SaveCompressed"), "1");
  EXPECT_EQ(StoredSetting("LogProgress"), "0");
  EXPECT_EQ(StoredSetting("PlotPictures"), "svg");
  // The form shows and uses the new values (the log's restart: the model's
  // test).
  EXPECT_EQ(form().outputRoot->text().toStdString(), data);
  EXPECT_EQ(model().config.plotPictures, PictureFormat::kSvg);

  // The dialog opens at the stored choices; Cancel stores nothing and keeps
  // the form.
  ClearStoredSettings();
  OpenDialog<CustomizeWindow>(window().actions().customize, [&](CustomizeWindow& again) {
    EXPECT_EQ(again.plotPictures->currentText(), "SVG");
    again.plotPictures->setCurrentText("PDF");
    again.logProgress->setChecked(true);
    again.outputRoot->setText("/elsewhere");
    ClickLaterNamed(&again, "Cancel");
  });
  for (const std::string& name : kConfigurationNames) {
    EXPECT_FALSE(StoredSetting(name).has_value()) << name;
  }
  EXPECT_EQ(form().outputRoot->text().toStdString(), data);
}

TEST_F(DialogsTest, AudioSetDefaultThenCancelKeepsTheValuesAndEnterStores) {
  model().config.audio.sampleRate = 11025;
  model().config.audio.level = 60;
  const AudioSettings before = model().config.audio;
  OpenDialog<AudioWindow>(window().actions().audio, [&](AudioWindow& dialog) {
    EXPECT_EQ(BuddyLabelText(dialog.edits[9]), "Data block size");
    EXPECT_EQ(dialog.edits[0]->text(), "11025");
    dialog.setDefaultButton->click();
    EXPECT_EQ(dialog.edits[0]->text(), "8000");
    EXPECT_EQ(dialog.edits[1]->text(), "70");
    EXPECT_EQ(dialog.edits[3]->text(), "30");
    ClickLater(dialog.cancelButton);
  });
  EXPECT_EQ(model().config.audio, before);
  EXPECT_FALSE(StoredSetting("SampleRate").has_value());

  OpenDialog<AudioWindow>(window().actions().audio, [](AudioWindow& dialog) {
    dialog.edits[0]->setText("22050");
    dialog.edits[0]->setFocus();
    QTest::keyClick(dialog.edits[0], Qt::Key_Enter, Qt::KeypadModifier);
  });
  EXPECT_EQ(StoredSetting("SampleRate"), "22050");
  EXPECT_EQ(model().config.audio.sampleRate, 22050);
}

// Enter is "Calculate"; DF 0 gives a box under the calculator's title (its
// text: the model's test) and no probability.
TEST_F(DialogsTest, CalculatorShowsTheProbabilityAndRefusesWhatItCannotCompute) {
  CalculatorWindow dialog(&window());
  dialog.show();
  EXPECT_EQ(BuddyLabelText(dialog.deviation), "Chi square deviation from chance");
  EXPECT_EQ(dialog.probability->text(), "0");
  dialog.deviation->setText("0");
  dialog.degreesOfFreedom->setText("1");
  dialog.degreesOfFreedom->setFocus();
  QTest::keyClick(dialog.degreesOfFreedom, Qt::Key_Return);
  EXPECT_NEAR(dialog.probability->text().toDouble(), 0.5, 1e-7);
  EXPECT_TRUE(answerer->boxes.empty());

  dialog.degreesOfFreedom->setText("0");
  dialog.calculateButton->click();
  EXPECT_EQ(dialog.probability->text(), "");
  ASSERT_EQ(answerer->boxes.size(), 1u);
  EXPECT_EQ(answerer->boxes[0].title, "ChiSquare Probability Calculator");
}

// Drags the data onto the window, as a file manager would, and drops it
// there if the window takes it; whether it took it.
bool Drop(QWidget& target, const QMimeData& data) {
  const QPointF where(target.width() / 2.0, target.height() / 2.0);
  QDragEnterEvent enter(where.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&target, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&target, &drop);
  return true;
}

TEST_F(DialogsTest, ADroppedResultFileRestoresTheRootAndDataName) {
  const std::string root = dir.path() + "results";
  std::filesystem::create_directories(root + "/Quake1");
  WriteFile(root + "/Quake1/Quake1.gp", "plot 1\n");
  QMimeData files;
  files.setUrls({QUrl::fromLocalFile(QString::fromStdString(root + "/Quake1/Quake1.gp")),
                 QUrl::fromLocalFile(QString::fromStdString(dir.File("other.txt")))});
  ASSERT_TRUE(Drop(window(), files));
  EXPECT_EQ(form().outputRoot->text().toStdString(), root);
  EXPECT_EQ(form().dataName->text(), "Quake1");
  EXPECT_EQ(form().localEggFile->text().toStdString(), root + "/Quake1/Quake1.dat");

  // A drag without files is refused.
  QMimeData text;
  text.setText("not a file");
  EXPECT_FALSE(Drop(window(), text));
}

}  // namespace
}  // namespace corvane::testing
