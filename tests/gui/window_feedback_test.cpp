// What the window tells the user: the icon of each kind of message box, the
// received bytes of each run from 0, a stop time that follows a new start
// when the form had completed it, each day of a remote run with the
// progress it brings, and pages the opener cannot show.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "app/menu_commands.h"
#include "dataserver/data_server.h"
#include "gui_test_support.h"

namespace corvane::testing {
namespace {

using WindowFeedbackTest = WindowTest;

TEST_F(WindowFeedbackTest, EachKindOfMessageHasItsIcon) {
  // A refused request: a warning.
  form().dataName->clear();
  QTest::mouseClick(form().analyzeButton, Qt::LeftButton);
  // A run that fails (its data file is missing): critical.
  TypeLocalRequest(dir.File("missing.csv"), "2011-05-03 00:00:00", "2011-05-03 00:59:59",
                   "Failing");
  QTest::mouseClick(form().analyzeButton, Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return !model().Busy() && answerer->boxes.size() >= 2; }));
  // A run that ends well: information.
  const std::string egg = WriteEggData("hour.csv", "2011-05-03 00:00:00", "2011-05-03 00:59:59");
  TypeLocalRequest(egg, "2011-05-03 00:00:00", "2011-05-03 00:59:59", "Fine");
  QTest::mouseClick(form().analyzeButton, Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return answerer->HasBox(FinishedText("Fine"), ""); }));

  ASSERT_GE(answerer->boxes.size(), 3u) << ::testing::PrintToString(answerer->Texts());
  EXPECT_EQ(answerer->boxes[0].text, "Data name not specified");
  EXPECT_EQ(answerer->boxes[0].icon, QMessageBox::Warning);
  EXPECT_EQ(answerer->boxes[1].text.rfind("Failing: ", 0), 0u) << answerer->boxes[1].text;
  EXPECT_EQ(answerer->boxes[1].icon, QMessageBox::Critical);
  EXPECT_EQ(answerer->boxes.back().text, FinishedText("Fine"));
  EXPECT_EQ(answerer->boxes.back().icon, QMessageBox::Information);
}

// The form completed the stop of the first run from its start; a new start
// on another day gets that day's end, not a refusal of a stop time the user
// never typed. A stop the user typed stays.
TEST_F(WindowFeedbackTest, ACompletedStopFollowsANewStart) {
  const std::string may3 =
      WriteEggData("may3.csv", "2011-05-03 00:00:00", "2011-05-03 23:59:59", 8);
  const std::string may4 =
      WriteEggData("may4.csv", "2011-05-04 00:00:00", "2011-05-04 23:59:59", 8);
  TypeLocalRequest(may3, "2011-05-03", "", "First");
  QTest::mouseClick(form().analyzeButton, Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return !model().Busy() && !answerer->boxes.empty(); }));
  EXPECT_EQ(answerer->Texts(), std::vector<std::string>{FinishedText("First")});
  EXPECT_EQ(form().stopTime->text(), "2011-05-03 23:59:59");

  answerer->boxes.clear();
  form().startTime->setText("2011-05-04");
  form().localEggFile->setText(QString::fromStdString(may4));
  form().dataName->setText("Second");
  QTest::mouseClick(form().analyzeButton, Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return !model().Busy() && !answerer->boxes.empty(); }));
  EXPECT_EQ(answerer->Texts(), std::vector<std::string>{FinishedText("Second")});
  EXPECT_EQ(form().stopTime->text(), "2011-05-04 23:59:59");

  // Typed by the user: kept, and refused when it lies before the start.
  answerer->boxes.clear();
  form().stopTime->setText("2011-05-04 00:30:00");
  form().startTime->setText("2011-05-05");
  QTest::mouseClick(form().analyzeButton, Qt::LeftButton);
  EXPECT_EQ(answerer->Texts(), std::vector<std::string>{"Incorrect start and/or stop time"});
  EXPECT_EQ(form().stopTime->text(), "2011-05-04 00:30:00");
}

// A remote day from the stand-in data server, then a local run: "Bytes
// rcvd" shows the download, and 0 again as soon as the next run starts.
TEST_F(WindowFeedbackTest, BytesReceivedStartFromZeroWithEachRun) {
  dataserver::DataServer server(dataserver::ServerOptions{"127.0.0.1", 0, "", "", 8, 3});
  std::string error;
  ASSERT_TRUE(server.Start(&error)) << error;
  model().config.dataUrl = server.DataUrl();
  TypeLocalRequest("", "2011-05-03 00:00:00", "2011-05-03 00:59:59", "Remote");
  form().remoteAccess->setChecked(true);
  QTest::mouseClick(form().analyzeButton, Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return answerer->HasBox(FinishedText("Remote"), ""); }))
      << ::testing::PrintToString(answerer->Texts());
  const long long downloaded = form().bytesReceived->text().toLongLong();
  EXPECT_GT(downloaded, 1000);

  const std::string egg = WriteEggData("hour.csv", "2011-05-03 00:00:00", "2011-05-03 00:59:59");
  TypeLocalRequest(egg, "2011-05-03 00:00:00", "2011-05-03 00:59:59", "Local");
  QTest::mouseClick(form().analyzeButton, Qt::LeftButton);
  ASSERT_TRUE(model().Busy());
  EXPECT_EQ(form().bytesReceived->text(), "0");
  ASSERT_TRUE(WaitFor([&] { return !model().Busy(); }));
  EXPECT_EQ(form().bytesReceived->text(), "0");
}

// A remote run of three days names each day as it is fetched, and the
// progress bar rises with each day in. The server trickles its answers so
// that every day is on show for a while.
TEST_F(WindowFeedbackTest, ARemoteRunShowsEachDayAndRisesByDay) {
  dataserver::DataServer server(dataserver::ServerOptions{"127.0.0.1", 0, "", "", 2, 3});
  std::string error;
  ASSERT_TRUE(server.Start(&error)) << error;
  dataserver::FaultPlan plan;
  plan.trickleBytes = 16384;
  plan.trickleInterval = std::chrono::milliseconds(100);
  server.SetFaults(plan);
  model().config.dataUrl = server.DataUrl();
  TypeLocalRequest("", "2011-05-03 18:00:00", "2011-05-05 05:59:59", "ThreeDays");
  form().remoteAccess->setChecked(true);
  QTest::mouseClick(form().analyzeButton, Qt::LeftButton);

  // The highest progress seen while each day's text was shown, and every
  // fall of the bar before its return to 0 at the end.
  std::map<std::string, int> progressByStatus;
  std::vector<std::string> statuses;
  std::vector<std::pair<int, int>> falls;
  int highestSoFar = 0;
  ASSERT_TRUE(WaitFor([&] {
    const std::string status = form().status->text().toStdString();
    if (statuses.empty() || statuses.back() != status) statuses.push_back(status);
    const int value = form().progress->value();
    int& highest = progressByStatus[status];
    highest = std::max(highest, value);
    if (value != 0 && value < highestSoFar) falls.emplace_back(highestSoFar, value);
    highestSoFar = std::max(highestSoFar, value);
    return answerer->HasBox(FinishedText("ThreeDays"), "");
  })) << ::testing::PrintToString(answerer->Texts());
  EXPECT_TRUE(falls.empty()) << "the bar fell: " << ::testing::PrintToString(falls);

  std::vector<std::string> days;
  for (const std::string& status : statuses) {
    // A day's text comes back after the day before it has been uncompressed.
    if (status.rfind("Getting data from internet: ", 0) == 0 &&
        std::find(days.begin(), days.end(), status) == days.end()) {
      days.push_back(status);
    }
  }
  const std::vector<std::string> expected = {"Getting data from internet: day 1 of 3",
                                             "Getting data from internet: day 2 of 3",
                                             "Getting data from internet: day 3 of 3"};
  EXPECT_EQ(days, expected) << ::testing::PrintToString(statuses);
  EXPECT_LT(progressByStatus[expected[0]], progressByStatus[expected[1]]);
  EXPECT_LT(progressByStatus[expected[1]], progressByStatus[expected[2]]);
}

// Without a program that can show a page, each command says so and gives
// what to open by hand.
TEST_F(WindowFeedbackTest, PagesTheOpenerCannotShowAreReportedWithTheirAddress) {
  SetOpenerStatus(3);  // xdg-open: no program can show the page
  window().actions().help->trigger();
  window().actions().kelmarHome->trigger();
  ASSERT_EQ(answerer->boxes.size(), 2u);
  EXPECT_EQ(answerer->boxes[0].text,
            "Failed to launch help. Open this file in a web browser:\n" + HelpPagePath());
  EXPECT_EQ(answerer->boxes[1].text,
            "Could not open the Kelmar home page. Open this address in a web browser:\n" +
                HomePageUrl(model().config.dataUrl));
  for (const ModalAnswerer::Box& box : answerer->boxes) {
    EXPECT_EQ(box.icon, QMessageBox::Warning);
  }
  EXPECT_EQ(TakeOpenedUrls().size(), 2u);  // the opener was asked, and said no
}

}  // namespace
}  // namespace corvane::testing
