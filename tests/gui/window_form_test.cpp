// The main window as a user first meets it: title, menus, frames, every
// control with its label, default and tooltip, the enabling rules, and the
// refusals of a request.
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "gui_test_support.h"

namespace corvane::testing {
namespace {

// Clicks a check box on its box (a click right of its text would miss).
void ClickCheckBox(QCheckBox* box) {
  QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

using WindowFormTest = WindowTest;

TEST_F(WindowFormTest, ShowsTheMenusFramesAndControlsWithTheirDefaultsAndTooltips) {
  EXPECT_EQ(window().windowTitle(), "Corvane");
  std::vector<std::string> menus;
  for (const QAction* menu : window().menuBar()->actions()) {
    menus.push_back(menu->text().toStdString());
    for (const QAction* item : menu->menu()->actions()) {
      menus.push_back("  " + (item->isSeparator() ? "-" : item->text().toStdString()));
    }
  }
  // With their access keys (their use: the keyboard test).
  EXPECT_EQ(menus,
            (std::vector<std::string>{"&File", "  Open &Batch File", "  Open &Local EGG file",
                                      "  Open &Time Zone Converter", "  -", "  E&xit", "&Options",
                                      "  &Customize...", "  &Audio...", "  &Prob Calculator...",
                                      "&Help", "  &Help", "  &About", "  &Kelmar Home"}));
  EXPECT_EQ(window().actions().aboutCorvane->text(), "&About Corvane...");

  RequestForm& f = form();
  EXPECT_EQ(f.batchFrame->title(), " BATCH ");
  EXPECT_EQ(f.interactiveFrame->title(), "INTERACTIVE");
  EXPECT_TRUE(f.batchFrame->isAncestorOf(f.runBatchButton));
  EXPECT_TRUE(f.interactiveFrame->isAncestorOf(f.analyzeButton));

  // Labels, and the defaults of an empty store as the controls show them.
  std::vector<std::string> edits;
  for (const QLineEdit* edit :
       {f.startTime, f.stopTime, f.eventTime, f.outputRoot, f.dataName, f.localEggFile,
        f.eggGroupFile, f.interval1Start, f.intervalDuration, f.interval2Start, f.batchFile,
        f.smoothWindowSize, f.expCoeff, f.dftSize, f.bytesReceived}) {
    edits.push_back((BuddyLabelText(edit) + "=" + edit->text()).toStdString());
  }
  EXPECT_EQ(
      edits,
      (std::vector<std::string>{
          "Start time (yyyy-mm-dd hh:mm:ss)=", "Stop time  (yyyy-mm-dd hh:mm:ss)=",
          "Event time  (yyyy-mm-dd hh:mm:ss)=", "Root directory for output=", "Data name=EggOutput",
          "Local egg file =", "Egg subgroup file=", "Interval 1 (sec)=0", "Duration (sec)=3600",
          "Interval 2 (sec)=3600", "Batch file=", "Size=900", "Coeff=0.0001", "DFT Size=32768",
          "Bytes rcvd=0"}));
  EXPECT_EQ(f.eventDuration->text(), "4");
  EXPECT_TRUE(f.remoteAccess->isChecked());
  // Check boxes, buttons, and the smoothing, echo and display choices.
  std::vector<const QAbstractButton*> buttons = {
      f.remoteAccess,  f.saveRemoteInput, f.audioOutput,   f.compareIntervals, f.dft,
      f.analyzeButton, f.stopButton,      f.displayButton, f.runBatchButton};
  for (const QButtonGroup* group : {f.smoothing, f.echoMethod}) {
    for (int id = 0; group->button(id) != nullptr; ++id) buttons.push_back(group->button(id));
  }
  std::vector<std::string> texts;
  for (const QAbstractButton* button : buttons) {
    texts.push_back(WithoutAccessKey(button->text()).toStdString());
  }
  EXPECT_EQ(texts,
            (std::vector<std::string>{"Remote access", "Save remote input", "Audio output",
                                      "Compare Egg Intervals", "DFT", "Analyze data", "Stop",
                                      "Display", "Run batch file", "Exponential", "Rectangle",
                                      "Triangle", "None", "Correlation", "Euclidean Distance"}));
  EXPECT_EQ(f.displayVariable->checkedId(), 5);

  // Every control a user can set or read, found by its kind so that a new
  // one is checked too, says what it is when the pointer rests on it.
  int checked = 0;
  for (QWidget* widget : window().findChildren<QWidget*>()) {
    const bool control = qobject_cast<QLineEdit*>(widget) != nullptr ||
                         qobject_cast<QAbstractButton*>(widget) != nullptr ||
                         qobject_cast<QComboBox*>(widget) != nullptr ||
                         qobject_cast<QAbstractSpinBox*>(widget) != nullptr ||
                         qobject_cast<QAbstractItemView*>(widget) != nullptr ||
                         qobject_cast<QProgressBar*>(widget) != nullptr;
    if (!control || !widget->isVisibleTo(&window())) continue;
    ++checked;
    const QString name = qobject_cast<QAbstractButton*>(widget) != nullptr
                             ? WithoutAccessKey(qobject_cast<QAbstractButton*>(widget)->text())
                             : BuddyLabelText(widget);
    EXPECT_FALSE(widget->toolTip().trimmed().isEmpty())
        << widget->metaObject()->className() << " \"" << name.toStdString() << "\"";
  }
  // The form's fields, boxes, radio buttons, buttons and status row.
  EXPECT_GE(checked, 40);
}

TEST_F(WindowFormTest, EnablingFollowsTheClicks) {
  RequestForm& f = form();
  // Which of these are enabled, as 0 and 1.
  auto enabled = [&f] {
    std::string states;
    for (const QWidget* control : std::initializer_list<const QWidget*>{
             f.saveRemoteInput, f.expCoeff, f.smoothWindowSize, f.dftSize, f.interval1Start,
             f.intervalDuration, f.interval2Start}) {
      states += control->isEnabled() ? '1' : '0';
    }
    return states;
  };
  // Start-up: remote on, exponential filter, DFT and intervals off.
  EXPECT_EQ(enabled(), "1100000");
  const std::pair<std::function<void()>, const char*> clicks[] = {
      {[&] { ClickCheckBox(f.remoteAccess); }, "0100000"},
      {[&] { ClickCheckBox(f.remoteAccess); }, "1100000"},
      {[&] { ClickCheckBox(f.dft); }, "1101000"},
      {[&] { ClickCheckBox(f.compareIntervals); }, "1101111"},
      {[&] { QTest::mouseClick(f.smoothing->button(1), Qt::LeftButton); }, "1011111"},
      {[&] { QTest::mouseClick(f.smoothing->button(0), Qt::LeftButton); }, "1101111"},
  };
  for (const auto& [click, states] : clicks) {
    click();
    EXPECT_EQ(enabled(), states);
  }
  // The model's fields drive the same rules when they are pushed.
  model().fields.dft = false;
  model().fields.compareIntervals = false;
  model().fields.smoothWindowType = 2;
  window().PushFields();
  EXPECT_EQ(enabled(), "1010000");
  EXPECT_EQ(f.smoothing->checkedId(), 2);
}

// Refusals of "Analyze data" reach the user as warning boxes: no caption
// becomes the application's name, an empty one stays empty (the model's test
// holds every text); and the window's own refusals of a field, which gets the
// focus. No run starts and the form stays usable.
TEST_F(WindowFormTest, RefusesABadRequestWithTheMessageAndCaption) {
  const std::string egg = WriteEggData("day.csv", "2011-05-03 00:00:00", "2011-05-03 00:59:59");
  struct Case {
    const char* name;
    std::function<void()> type;
    std::string text;
    std::string caption;
    QWidget* focus = nullptr;
  };
  const std::vector<Case> cases = {
      {"no output root", [&] { form().outputRoot->clear(); },
       "Root directory for output is not specified: enter the folder below which each run writes "
       "its results.",
       ""},
      {"interval not an integer", [&] { form().interval2Start->setText("1 h"); },
       "Please enter an integer.", "Corvane"},
      {"coefficient in a decimal comma", [&] { form().expCoeff->setText("0,0001"); },
       "Please enter a number.", "Corvane", form().expCoeff},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TypeLocalRequest(egg, "2011-05-03 00:00:00", "2011-05-03 00:59:59", "Refused");
    form().expCoeff->setText("0.0001");
    form().interval2Start->setText("3600");
    c.type();
    answerer->boxes.clear();
    QTest::mouseClick(form().analyzeButton, Qt::LeftButton);
    ASSERT_EQ(answerer->boxes.size(), 1u) << ::testing::PrintToString(answerer->Texts());
    EXPECT_EQ(answerer->boxes[0].text, c.text);
    EXPECT_EQ(answerer->boxes[0].title, c.caption);
    EXPECT_EQ(answerer->boxes[0].icon, QMessageBox::Warning);
    EXPECT_FALSE(model().Busy());
    EXPECT_TRUE(form().analyzeButton->isEnabled());
    if (c.focus != nullptr) {
      EXPECT_TRUE(WaitFor([&] { return window().focusWidget() == c.focus; }));
    }
  }

  // The request completed by the model is shown back, also when it is then
  // refused (here for want of a local file).
  TypeLocalRequest("", "  2011-05-03 ", "", "Times");
  form().expCoeff->setText("0.0001");
  answerer->boxes.clear();
  QTest::mouseClick(form().analyzeButton, Qt::LeftButton);
  EXPECT_EQ(answerer->Texts(), std::vector<std::string>{"Specify egg file name for local access"});
  EXPECT_EQ(form().startTime->text(), "2011-05-03 00:00:00");
  EXPECT_EQ(form().stopTime->text(), "2011-05-03 23:59:59");
}

}  // namespace
}  // namespace corvane::testing
