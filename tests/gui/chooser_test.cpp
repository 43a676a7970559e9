// The file and folder choosers of the window and of Customize: where they
// open (the folder of the field's value, else the home folder), their
// titles, and Cancel, which leaves the field as it was.
#include <filesystem>

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>

#include "gui/customize_window.h"
#include "gui_test_support.h"

namespace corvane::testing {
namespace {

using ChooserTest = WindowTest;

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

TEST_F(ChooserTest, CustomizeChoosersOpenAtTheFieldsFolderAndCancelKeepsIt) {
  const std::string data = dir.path() + "data";
  const std::string groups = dir.path() + "groups";
  std::filesystem::create_directories(data);
  std::filesystem::create_directories(groups);
  WriteFile(groups + "/europe.esg", "1\n1001\n");

  // The dialog, then each chooser over it in turn, then OK: the answerer
  // hands the dialog back to the next handler whenever a chooser closes.
  std::vector<Opened> opened(5);
  CustomizeWindow* dialog = nullptr;
  answerer->Then([&](QWidget* modal) {
    dialog = qobject_cast<CustomizeWindow*>(modal);
    ASSERT_NE(dialog, nullptr);
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
        QMetaObject::invokeMethod(dialog, &QDialog::accept, Qt::QueuedConnection);
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
  EXPECT_EQ(opened[3].directory, home);
  EXPECT_EQ(opened[4].title, "Locate gnuplot");
  EXPECT_EQ(opened[4].directory, home);
  // Every chooser was cancelled: OK stored the fields as typed.
  EXPECT_EQ(StoredSetting("DataDir"), data);
  EXPECT_EQ(StoredSetting("TempDir"), dir.path() + "gone/tmp");
  EXPECT_EQ(StoredSetting("EggGroupFile"), groups + "/europe.esg");
  EXPECT_EQ(StoredSetting("RemoteSaveDir"), "");
  EXPECT_EQ(StoredSetting("GnuplotDir"), "gnuplot");
}

TEST_F(ChooserTest, FileMenuChoosersOpenAtTheFieldsFolderOrHome) {
  const std::string batches = dir.path() + "batches";
  std::filesystem::create_directories(batches);
  Opened batch;
  Opened egg;
  form().batchFile->setText(QString::fromStdString(batches + "/old.ebb"));  // no longer there
  form().localEggFile->clear();
  CancelNextChooser(*answerer, batch);
  window().actions().openBatchFile->trigger();
  CancelNextChooser(*answerer, egg);
  window().actions().openLocalEggFile->trigger();
  EXPECT_EQ(batch.title, "Open Batch File");
  EXPECT_EQ(batch.directory, Canonical(batches));
  EXPECT_EQ(egg.title, "Open EGG File");
  EXPECT_EQ(egg.directory, QDir::homePath());
  // Cancelled: the fields are as they were.
  EXPECT_EQ(form().batchFile->text().toStdString(), batches + "/old.ebb");
  EXPECT_EQ(form().localEggFile->text(), "");
}

}  // namespace
}  // namespace corvane::testing
