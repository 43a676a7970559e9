// What the window tells the user: the completed times shown back, a stop
// time that follows a new start when the form had completed it, each day of
// a remote run with the progress it brings, and the received bytes of each
// run from 0. (Pages the opener cannot show: the keyboard test.)
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

// Shown back after "Analyze data" (refused here for want of a local file,
// after the completion): the completed times and the reduced DFT size. The
// form completed the stop from the start; a new start on another day gets
// that day's end, not a refusal of a stop time the user never typed (a
// typed one stays: the model's test).
TEST_F(WindowFeedbackTest, ACompletedStopFollowsANewStart) {
  TypeLocalRequest("", "  2011-05-03 ", "", "Times");
  form().eventTime->setText(" 2011-05-03 10:00:00  ");
  form().dft->setChecked(true);
  form().dftSize->setText("50000");
  QTest::mouseClick(form().analyzeButton, Qt::LeftButton);
  const std::string noFile = "Specify egg file name for local access";
  EXPECT_EQ(answerer->Texts(), std::vector<std::string>{noFile});
  EXPECT_EQ(form().startTime->text(), "2011-05-03 00:00:00");
  EXPECT_EQ(form().stopTime->text(), "2011-05-03 23:59:59");
  EXPECT_EQ(form().eventTime->text(), "2011-05-03 10:00:00");
  EXPECT_EQ(form().dftSize->text(), "32768");
  // A refused request stores nothing.
  EXPECT_FALSE(StoredSetting("DFTSize").has_value());

  form().startTime->setText("2011-05-04");
  QTest::mouseClick(form().analyzeButton, Qt::LeftButton);
  EXPECT_EQ(answerer->Texts(), std::vector<std::string>(2, noFile));
  EXPECT_EQ(form().stopTime->text(), "2011-05-04 23:59:59");
}

// A remote run of three days names each day as it is fetched, and the
// progress bar rises with each day in. The server trickles its answers so
// that every day is on show for a while. "Bytes rcvd" shows the download,
// and 0 again as soon as the next run starts.
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
  EXPECT_GT(form().bytesReceived->text().toLongLong(), 1000);

  const std::string egg = WriteEggData("hour.csv", "2011-05-03 00:00:00", "2011-05-03 00:59:59");
  TypeLocalRequest(egg, "2011-05-03 00:00:00", "2011-05-03 00:59:59", "Local");
  QTest::mouseClick(form().analyzeButton, Qt::LeftButton);
  ASSERT_TRUE(model().Busy());
  EXPECT_EQ(form().bytesReceived->text(), "0");
  ASSERT_TRUE(WaitFor([&] { return !model().Busy(); }));
  EXPECT_EQ(form().bytesReceived->text(), "0");
}

}  // namespace
}  // namespace corvane::testing
