// The dialogs and menu commands of the window: Customize, Audio, the
// calculator, About, the pages handed to the user's default opener, and a
// file dropped on the window.
#include <filesystem>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "app/menu_commands.h"
#include "core/default_urls.h"
#include "core/progress_log.h"
#include "gui/audio_window.h"
#include "gui/calculator_window.h"
#include "gui/customize_window.h"
#include "gui_test_support.h"

namespace corvane::testing {
namespace {

using DialogsTest = WindowTest;

const std::vector<std::string> kConfigurationNames = {
    "LogProgress", "SaveCompressed", "TempDir",       "DataDir",      "RemoteSaveDir", "GnuplotDir",
    "TimeZoneURL", "DataURL",        "PseudoDataURL", "EggGroupFile", "PlotPictures"};

// Clicks the dialog's button with the text, from the event loop.
void ClickLaterNamed(QWidget* dialog, const QString& text) {
  for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
    if (WithoutAccessKey(button->text()) == text) ClickLater(button);
  }
}

TEST_F(DialogsTest, CustomizeStoresItsElevenValuesOnOkAndNothingOnCancel) {
  const std::string newTemp = dir.path() + "newtemp";
  std::filesystem::create_directories(newTemp);
  answerer->Then([&](QWidget* modal) {
    auto* dialog = qobject_cast<CustomizeWindow*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Customize");
    EXPECT_EQ(BuddyLabelText(dialog->outputRoot), "Output root directory");
    EXPECT_EQ(BuddyLabelText(dialog->pseudoDataUrl), "Base of pseudo egg data URL");
    EXPECT_EQ(dialog->tempDirectory->text().toStdString(), dir.path());
    dialog->outputRoot->setText("/data/eggs");
    dialog->tempDirectory->setText(QString::fromStdString(newTemp));
    dialog->gnuplotPath->setText("/usr/bin/gnuplot");
    dialog->dataUrl->setText("http://example.org/x");
    ClickLater(dialog->defaultDataUrl);  // before OK: the default comes back
    dialog->saveCompressed->setChecked(true);
    ClickLaterNamed(dialog, "OK");
  });
  window().actions().customize->trigger();
  EXPECT_TRUE(answerer->HandlersDone());
  for (const std::string& name : kConfigurationNames) {
    EXPECT_TRUE(StoredSetting(name).has_value()) << name;
  }
  EXPECT_EQ(StoredSetting("DataDir"), "/data/eggs");
  EXPECT_EQ(StoredSetting("TempDir"), newTemp);
  EXPECT_EQ(StoredSetting("GnuplotDir"), "/usr/bin/gnuplot");
  EXPECT_EQ(StoredSetting("DataURL"), kDefaultDataUrl);
  EXPECT_EQ(StoredSetting("SaveCompressed"), "1");
  EXPECT_EQ(StoredSetting("LogProgress"), "0");
  EXPECT_EQ(StoredSetting("PlotPictures"), "none");
  // The form shows and uses the new values (the log's restart: the model's
  // test).
  EXPECT_EQ(form().outputRoot->text(), "/data/eggs");
  EXPECT_EQ(model().config.tempDirectory, newTemp);

  // Cancel stores nothing and keeps the form.
  ClearStoredSettings();
  answerer->Then([&](QWidget* modal) {
    auto* dialog = qobject_cast<CustomizeWindow*>(modal);
    ASSERT_NE(dialog, nullptr);
    dialog->logProgress->setChecked(true);
    dialog->outputRoot->setText("/elsewhere");
    ClickLaterNamed(dialog, "Cancel");
  });
  window().actions().customize->trigger();
  EXPECT_TRUE(answerer->HandlersDone());
  for (const std::string& name : kConfigurationNames) {
    EXPECT_FALSE(StoredSetting(name).has_value()) << name;
  }
  EXPECT_EQ(form().outputRoot->text(), "/data/eggs");
  EXPECT_EQ(model().fields.outputRoot, "/data/eggs");
  EXPECT_FALSE(LogProgress());
}

// "Plot pictures" offers none and the three formats; the choice goes to the
// form (which hands it to each run) and the store, and the dialog opens at
// it the next time. Cancel keeps the earlier choice.
TEST_F(DialogsTest, CustomizeOffersThePlotPictures) {
  answerer->Then([&](QWidget* modal) {
    auto* dialog = qobject_cast<CustomizeWindow*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(BuddyLabelText(dialog->plotPictures), "Plot pictures");
    QStringList items;
    for (int i = 0; i < dialog->plotPictures->count(); ++i)
      items << dialog->plotPictures->itemText(i);
    EXPECT_EQ(items, (QStringList{"none", "PNG", "SVG", "PDF"}));
    EXPECT_EQ(dialog->plotPictures->currentText(), "none");
    EXPECT_FALSE(dialog->plotPictures->toolTip().isEmpty());
    dialog->plotPictures->setCurrentText("SVG");
    ClickLaterNamed(dialog, "OK");
  });
  window().actions().customize->trigger();
  EXPECT_TRUE(answerer->HandlersDone());
  EXPECT_EQ(StoredSetting("PlotPictures"), "svg");
  EXPECT_EQ(model().config.plotPictures, PictureFormat::kSvg);

  answerer->Then([&](QWidget* modal) {
    auto* dialog = qobject_cast<CustomizeWindow*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->plotPictures->currentText(), "SVG");
    dialog->plotPictures->setCurrentText("PDF");
    ClickLaterNamed(dialog, "Cancel");
  });
  window().actions().customize->trigger();
  EXPECT_TRUE(answerer->HandlersDone());
  EXPECT_EQ(StoredSetting("PlotPictures"), "svg");
  EXPECT_EQ(model().config.plotPictures, PictureFormat::kSvg);
}

TEST_F(DialogsTest, AudioSetDefaultThenCancelKeepsTheValues) {
  model().config.audio.sampleRate = 11025;
  model().config.audio.level = 60;
  const AudioSettings before = model().config.audio;
  answerer->Then([&](QWidget* modal) {
    auto* dialog = qobject_cast<AudioWindow*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Audio Dialog");
    EXPECT_EQ(BuddyLabelText(dialog->edits[9]), "Data block size");
    EXPECT_EQ(dialog->edits[0]->text(), "11025");
    dialog->setDefaultButton->click();
    EXPECT_EQ(dialog->edits[0]->text(), "8000");
    EXPECT_EQ(dialog->edits[1]->text(), "70");
    EXPECT_EQ(dialog->edits[3]->text(), "30");
    ClickLater(dialog->cancelButton);
  });
  window().actions().audio->trigger();
  EXPECT_TRUE(answerer->HandlersDone());
  EXPECT_EQ(model().config.audio, before);
  EXPECT_FALSE(StoredSetting("SampleRate").has_value());
}

TEST_F(DialogsTest, CalculatorShowsTheProbabilityAndRefusesWhatItCannotCompute) {
  answerer->Then([&](QWidget* modal) {
    auto* dialog = qobject_cast<CalculatorWindow*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "ChiSquare Probability Calculator");
    QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
  });
  window().actions().probCalculator->trigger();
  EXPECT_TRUE(answerer->HandlersDone());

  CalculatorWindow dialog(&window());
  dialog.show();
  EXPECT_EQ(BuddyLabelText(dialog.deviation), "Chi square deviation from chance");
  EXPECT_EQ(dialog.probability->text(), "0");
  dialog.deviation->setText("0");
  dialog.degreesOfFreedom->setText("1");
  dialog.calculateButton->click();
  EXPECT_NEAR(dialog.probability->text().toDouble(), 0.5, 1e-7);
  EXPECT_TRUE(answerer->boxes.empty());

  // DF 0: a box under the calculator's title (its text: the model's test),
  // no probability shown, and the dialog goes on.
  dialog.degreesOfFreedom->setText("0");
  dialog.calculateButton->click();
  EXPECT_EQ(dialog.probability->text(), "");
  ASSERT_EQ(answerer->boxes.size(), 1u);
  EXPECT_EQ(answerer->boxes[0].title, "ChiSquare Probability Calculator");
  dialog.degreesOfFreedom->setText("2");
  dialog.calculateButton->click();
  EXPECT_NEAR(dialog.probability->text().toDouble(), 0.5, 1e-7);
}

TEST_F(DialogsTest, AboutHelpAndWebPages) {
  window().actions().about->trigger();
  window().actions().aboutCorvane->trigger();
  ASSERT_EQ(answerer->boxes.size(), 2u);
  for (const ModalAnswerer::Box& box : answerer->boxes) {
    EXPECT_EQ(box.title, "About Corvane");
    EXPECT_EQ(box.text.rfind("Corvane Version ", 0), 0u) << box.text;
  }

  model().config.timeZoneUrl = "https://clock.example.org/worldclock/converter.html";
  window().actions().openTimeZoneConverter->trigger();
  window().actions().kelmarHome->trigger();
  window().actions().help->trigger();
  const std::vector<std::string> urls = TakeOpenedUrls();
  ASSERT_EQ(urls.size(), 3u);
  EXPECT_EQ(urls[0], model().config.timeZoneUrl);
  EXPECT_EQ(urls[1], HomePageUrl(model().config.dataUrl));
  EXPECT_EQ(urls[2],
            QUrl::fromLocalFile(QString::fromStdString(HelpPagePath())).toString().toStdString());
  EXPECT_EQ(answerer->boxes.size(), 2u);  // no "Failed to launch help."
}

// Sends a drag of the files onto the window, as a file manager would.
void DropFiles(QWidget& target, const QStringList& paths) {
  QMimeData data;
  QList<QUrl> urls;
  for (const QString& path : paths) urls.push_back(QUrl::fromLocalFile(path));
  data.setUrls(urls);
  const QPointF where(target.width() / 2.0, target.height() / 2.0);
  QDragEnterEvent enter(where.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&target, &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&target, &drop);
}

TEST_F(DialogsTest, ADroppedResultFileRestoresTheRootAndDataName) {
  const std::string root = dir.path() + "results";
  std::filesystem::create_directories(root + "/Quake1");
  WriteFile(root + "/Quake1/Quake1.gp", "plot 1\n");
  DropFiles(window(), {QString::fromStdString(root + "/Quake1/Quake1.gp"),
                       QString::fromStdString(dir.File("other.txt"))});
  EXPECT_EQ(form().outputRoot->text().toStdString(), root);
  EXPECT_EQ(form().dataName->text(), "Quake1");
  EXPECT_EQ(form().localEggFile->text().toStdString(), root + "/Quake1/Quake1.dat");

  // A drag without files is refused.
  QMimeData text;
  text.setText("not a file");
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window(), &enter);
  EXPECT_FALSE(enter.isAccepted());
}

}  // namespace
}  // namespace corvane::testing
