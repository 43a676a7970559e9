// Runs started from the window and what the window shows of them: a remote
// analysis, then a local one from the form with its plot; a batch from "Open
// Batch File" and "Run batch file"; closing the window while the run waits
// for a click on its message box.
#include <algorithm>
#include <filesystem>

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "dataserver/data_server.h"
#include "gui_test_support.h"
#include "support/gnuplot_recorder.h"

namespace corvane::testing {
namespace {

using WindowRunTest = WindowTest;

// A remote run of three days from our data server: "Bytes rcvd" shows the
// download, and 0 again as soon as the next run, a local one, starts. (The
// days and the progress they bring: the job's tests.) Enter in a field is
// "Analyze data"; Enter on a focused button presses that button.
TEST_F(WindowRunTest, AnalyzesRemoteThenLocalDataFromTheForm) {
  dataserver::DataServer server(dataserver::ServerOptions{"127.0.0.1", 0, "", "", 2, 3});
  std::string error;
  ASSERT_TRUE(server.Start(&error)) << error;
  model().config.dataUrl = server.DataUrl();
  TypeLocalRequest("", "2011-05-03 18:00:00", "2011-05-05 05:59:59", "ThreeDays");
  form().remoteAccess->setChecked(true);
  QTest::mouseClick(form().analyzeButton, Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return answerer->HasBox(FinishedText("ThreeDays"), ""); }))
      << ::testing::PrintToString(answerer->Texts());
  EXPECT_GT(form().bytesReceived->text().toLongLong(), 1000);

  ASSERT_TRUE(WaitFor([&] { return !model().Busy(); }));
  // Each run's plot in a window of its own.
  EXPECT_EQ(WaitForRecord(gnuplotRecord), "-e\nset term qt 0 title \"ThreeDays\"\n" + dir.path() +
                                              "results/ThreeDays/ThreeDays.gp\n-persist\n");
  std::filesystem::remove(gnuplotRecord);

  // A day of 60 eggs: long enough for the progress bar to be seen moving.
  const std::string egg = WriteEggData("day.csv", "2011-05-03 00:00:00", "2011-05-03 23:59:59", 60);
  TypeLocalRequest(egg, "2011-05-03", "", "GuiRun");
  form().smoothWindowSize->setText("600");
  form().expCoeff->setText("0.0002");
  QTest::keyClick(form().dataName, Qt::Key_Return);
  ASSERT_TRUE(model().Busy()) << ::testing::PrintToString(answerer->Texts());
  EXPECT_EQ(form().bytesReceived->text(), "0");

  // What the window shows while the run works, sampled from the event loop.
  int maxProgress = 0;
  bool sawBusyButtons = false;  // "Analyze data" etc. disabled, "Stop" enabled
  bool sawWaitCursor = false;
  bool sawStatus = false;
  RequestForm& f = form();
  const QMetaObject::Connection progress =
      QObject::connect(f.progress, &QProgressBar::valueChanged,
                       [&](int value) { maxProgress = std::max(maxProgress, value); });
  ASSERT_TRUE(WaitFor([&] {
    if (model().Busy()) {
      sawBusyButtons |= !f.analyzeButton->isEnabled() && !f.displayButton->isEnabled() &&
                        !f.runBatchButton->isEnabled() &&
                        !window().actions().openBatchFile->isEnabled() && f.stopButton->isEnabled();
      sawWaitCursor |= window().cursor().shape() == Qt::WaitCursor;
      sawStatus |= !f.status->text().isEmpty();
    }
    return answerer->HasBox(FinishedText("GuiRun"), "");
  })) << ::testing::PrintToString(answerer->Texts());
  QObject::disconnect(progress);
  EXPECT_EQ(answerer->boxes.back().icon, QMessageBox::Information);
  EXPECT_GT(maxProgress, 0);
  EXPECT_TRUE(sawBusyButtons);
  EXPECT_TRUE(sawWaitCursor);
  EXPECT_TRUE(sawStatus);

  // gnuplot started on the run's script.
  const std::string folder = dir.path() + "results/GuiRun/GuiRun";
  EXPECT_EQ(WaitForRecord(gnuplotRecord),
            "-e\nset term qt 1 title \"GuiRun\"\n" + folder + ".gp\n-persist\n");

  // An idle form again.
  EXPECT_EQ(form().status->text(), "");
  EXPECT_EQ(form().progress->value(), 0);
  EXPECT_EQ(form().bytesReceived->text(), "0");
  EXPECT_TRUE(form().analyzeButton->isEnabled() && window().actions().openBatchFile->isEnabled());
  EXPECT_NE(window().cursor().shape(), Qt::WaitCursor);

  // The request's settings are stored, and the next start shows them.
  SettingsStore store;
  AnalysisWindow next(store);
  EXPECT_EQ(next.form().smoothWindowSize->text(), "600");

  QSignalSpy displayed(form().displayButton, &QPushButton::clicked);
  form().displayButton->setFocus();
  QTest::keyClick(form().displayButton, Qt::Key_Return);
  EXPECT_EQ(displayed.count(), 1);
  ASSERT_TRUE(WaitFor([&] { return !model().Busy(); }));
}

TEST_F(WindowRunTest, RunsABatchOpenedFromTheMenu) {
  const std::string egg = WriteEggData("day.csv", "2011-05-03 00:00:00", "2011-05-03 02:59:59");
  std::filesystem::create_directories(dir.path() + "results");
  // Two local runs.
  const std::string batch = dir.File("hours.ebb");
  const std::string local = "LocalEggFile " + egg + "\n";
  WriteFile(batch, "DataDirectory " + dir.path() + "results\n" + local +
                       "Hour0 2011-05-03 00:00:00 2011-05-03 00:59:59\n" + local +
                       "Hour1 2011-05-03 01:00:00 2011-05-03 01:59:59\n");

  OpenDialog<QFileDialog>(window().actions().openBatchFile, [&](QFileDialog& chooser) {
    EXPECT_EQ(chooser.nameFilters(), QStringList({"Batch file (*.ebb)", "All Files (*)"}));
    // The user types the file's path into the chooser's name field.
    auto* name = chooser.findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    name->setText(QString::fromStdString(batch));
    QMetaObject::invokeMethod(&chooser, &QDialog::accept, Qt::QueuedConnection);
  });
  EXPECT_EQ(form().batchFile->text().toStdString(), batch);
  EXPECT_EQ(form().dataName->text(), "Hour0");
  ASSERT_EQ(model().BatchItemCount(), 2);
  EXPECT_EQ(form().status->text(), "2 items loaded");

  QTest::mouseClick(form().runBatchButton, Qt::LeftButton);
  EXPECT_FALSE(form().runBatchButton->isEnabled());
  // The closing box, with the count (its other words: the model's test).
  const std::string counts = "2 items processed in batch mode: 2 completed, 0 failed";
  ASSERT_TRUE(WaitFor([&] {
    const std::vector<std::string> texts = answerer->Texts();
    return !texts.empty() && texts.back().rfind(counts, 0) == 0;
  })) << ::testing::PrintToString(answerer->Texts());
  EXPECT_FALSE(FileExists(gnuplotRecord));  // a batch shows no plot
  EXPECT_TRUE(form().runBatchButton->isEnabled());
}

TEST_F(WindowRunTest, ClosingDuringARunStopsItAndWaitsForItsEnd) {
  // Closed (as a desktop logout does) while the run's thread waits for the
  // click on its message box, a rectangle window longer than the data: the
  // run ends at once without a completion, and the box stays until it is
  // clicked. (Closing a plain run: the model's Exit test.)
  const std::string egg = WriteEggData("day.csv", "2011-05-03 00:00:00", "2011-05-03 05:59:59");
  TypeLocalRequest(egg, "2011-05-03 00:00:00", "2011-05-03 05:59:59", "Closed");
  answerer.reset();  // this test answers its box itself
  form().smoothing->button(1)->setChecked(true);
  form().smoothWindowSize->setText("30000");
  QTest::mouseClick(form().analyzeButton, Qt::LeftButton);
  ASSERT_TRUE(model().Busy());
  bool closeAsked = false;
  std::vector<std::string> texts;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    if (!closeAsked) {
      // Runs from the box's own event loop, before it is clicked.
      closeAsked = true;
      QMetaObject::invokeMethod(&window(), &QWidget::close, Qt::QueuedConnection);
      return;
    }
    if (window().isVisible()) return;  // still closing: the box waits
    texts.push_back(box->text().toStdString());
    EXPECT_EQ(box->icon(), QMessageBox::Critical);  // a run's error
    box->button(QMessageBox::Ok)->click();
  });
  answer.start(5);
  ASSERT_TRUE(WaitFor([&] { return !texts.empty() && !model().Busy(); }));
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].rfind("Closed: The smoothing window of 30000", 0), 0u) << texts[0];
}

}  // namespace
}  // namespace corvane::testing
