// The window and its dialogs from the keyboard: every label, button, group
// and menu carries an access key, none twice in one window, and each does
// what it names; the shortcuts; Enter presses the default button of the
// form and of every dialog.
#include <chrono>
#include <map>

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "app/menu_commands.h"
#include "gui/audio_window.h"
#include "gui/calculator_window.h"
#include "gui/customize_window.h"
#include "gui_test_support.h"

namespace corvane::testing {
namespace {

using KeyboardTest = WindowTest;

// The access key of a text ("&Stop": s), or 0 when it has none.
char AccessKey(const QString& text) {
  const QKeySequence key = QKeySequence::mnemonic(text);
  if (key.isEmpty()) return 0;
  return static_cast<char>(QChar(key[0].key()).toLower().toLatin1());
}

// The access keys a window offers, each with what carries it. Fails the test
// for a field label, push button or menu without one, and for a key that
// appears twice.
std::map<char, QString> AccessKeysOf(QWidget* window) {
  std::map<char, QString> keys;
  auto add = [&keys](const QString& text, bool required) {
    const char key = AccessKey(text);
    EXPECT_TRUE(key != 0 || !required) << text.toStdString() << " has no access key";
    if (key == 0) return;
    const auto [at, added] = keys.emplace(key, text);
    EXPECT_TRUE(added) << "'" << key << "' is the access key of both " << at->second.toStdString()
                       << " and " << text.toStdString();
  };
  for (const QLabel* label : window->findChildren<QLabel*>()) {
    add(label->text(), label->buddy() != nullptr);
  }
  for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
    add(button->text(), qobject_cast<const QPushButton*>(button) != nullptr);
  }
  for (const QGroupBox* group : window->findChildren<QGroupBox*>()) add(group->title(), false);
  if (auto* main = qobject_cast<QMainWindow*>(window)) {
    for (const QAction* menu : main->menuBar()->actions()) add(menu->text(), true);
  }
  return keys;
}

// Presses the key in the window once it is active, as a user would. (A
// closed box gives the activation back through the window manager; the
// offscreen platform has none.)
void Press(QWidget& window, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
  if (QApplication::activeWindow() != &window) window.activateWindow();
  ASSERT_TRUE(WaitFor([&window] { return QApplication::activeWindow() == &window; }));
  QTest::keyClick(&window, key, modifiers);
}

// Presses Alt and the access key.
void PressAlt(QWidget& window, char key) {
  Press(window, static_cast<Qt::Key>(QChar::fromLatin1(key).toUpper().unicode()), Qt::AltModifier);
}

TEST_F(KeyboardTest, EveryLabelButtonAndMenuHasAnAccessKeyNoneTwiceInAWindow) {
  const std::map<char, QString> keys = AccessKeysOf(&window());
  EXPECT_EQ(keys.size(), 23u);  // 3 menus, 4 buttons, 15 field labels, 1 group

  // Within each menu, each item has a key of its own.
  for (const QAction* title : window().menuBar()->actions()) {
    std::map<char, QString> items;
    for (const QAction* item : title->menu()->actions()) {
      if (item->isSeparator()) continue;
      const char key = AccessKey(item->text());
      EXPECT_NE(key, 0) << item->text().toStdString();
      EXPECT_TRUE(items.emplace(key, item->text()).second) << item->text().toStdString();
    }
  }

  // The dialogs: each field label and button (the five "Browse" buttons
  // included) has its own.
  const std::vector<std::pair<QAction*, size_t>> dialogs = {
      {window().actions().customize, 20u},  // 9 labels, 2 check boxes, 9 buttons
      {window().actions().audio, 13u},
      {window().actions().probCalculator, 4u}};
  for (const auto& [action, count] : dialogs) {
    answerer->Then([count = count](QWidget* dialog) {
      EXPECT_EQ(AccessKeysOf(dialog).size(), count) << dialog->windowTitle().toStdString();
      QMetaObject::invokeMethod(dialog, &QWidget::close, Qt::QueuedConnection);
    });
    action->trigger();
  }
  EXPECT_TRUE(answerer->HandlersDone());
}

TEST_F(KeyboardTest, AltKeysFocusTheirFieldsAndPressTheirButtons) {
  RequestForm& f = form();
  // Every field enabled, as far as the enabling rules allow at once.
  f.dft->setChecked(true);
  f.compareIntervals->setChecked(true);
  for (QLabel* label : window().findChildren<QLabel*>()) {
    QWidget* field = label->buddy();
    if (field == nullptr) continue;
    SCOPED_TRACE(label->text().toStdString());
    if (field == f.smoothWindowSize) f.smoothing->button(1)->setChecked(true);
    if (field == f.expCoeff) f.smoothing->button(0)->setChecked(true);
    PressAlt(window(), AccessKey(label->text()));
    EXPECT_EQ(QApplication::focusWidget(), field);
  }
  // The display variables: the chosen one.
  PressAlt(window(), 'v');
  EXPECT_EQ(QApplication::focusWidget(), f.displayVariable->button(5));

  // Each button is pressed (what it does: the form's own tests; here, an
  // empty request is refused and there is no batch to run).
  f.dataName->clear();
  for (QPushButton* button : {f.analyzeButton, f.displayButton, f.stopButton, f.runBatchButton}) {
    SCOPED_TRACE(button->text().toStdString());
    QSignalSpy clicked(button, &QPushButton::clicked);
    PressAlt(window(), AccessKey(button->text()));
    EXPECT_TRUE(WaitFor([&] { return clicked.count() == 1; }));
  }
  EXPECT_EQ(answerer->Texts(),
            (std::vector<std::string>{"Data name not specified", "Data name not specified",
                                      "There are no batch items to process"}));

  // The menus open; each item's key runs the item.
  struct Item {
    char menu, key;
    QAction* action;
  };
  const AnalysisWindow::Actions& a = window().actions();
  const std::vector<Item> items = {{'f', 'b', a.openBatchFile},
                                   {'f', 'l', a.openLocalEggFile},
                                   {'f', 't', a.openTimeZoneConverter},
                                   {'o', 'c', a.customize},
                                   {'o', 'a', a.audio},
                                   {'o', 'p', a.probCalculator},
                                   {'h', 'h', a.help},
                                   {'h', 'a', a.about},
                                   {'h', 'k', a.kelmarHome}};
  for (const Item& item : items) {
    SCOPED_TRACE(item.action->text().toStdString());
    PressAlt(window(), item.menu);
    ASSERT_TRUE(WaitFor([] { return QApplication::activePopupWidget() != nullptr; }));
    QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->actions().contains(item.action));
    // A dialog or chooser that the item opens is closed again.
    answerer->Then([](QWidget* modal) {
      QMetaObject::invokeMethod(modal, &QWidget::close, Qt::QueuedConnection);
    });
    QSignalSpy triggered(item.action, &QAction::triggered);
    QTest::keyClick(menu, item.key);
    EXPECT_TRUE(WaitFor([&] { return triggered.count() == 1; }));
    EXPECT_TRUE(WaitFor([] { return QApplication::activeModalWidget() == nullptr; }));
    answerer = std::make_unique<ModalAnswerer>();  // drops an unused handler
  }
  EXPECT_EQ(
      TakeOpenedUrls(),
      (std::vector<std::string>{
          model().config.timeZoneUrl,
          QUrl::fromLocalFile(QString::fromStdString(HelpPagePath())).toString().toStdString(),
          HomePageUrl(model().config.dataUrl)}));
}

TEST_F(KeyboardTest, ShortcutsDoWhatTheyName) {
  // Ctrl+O and Ctrl+L open their choosers.
  for (const auto& [key, title] : std::vector<std::pair<Qt::Key, QString>>{
           {Qt::Key_O, "Open Batch File"}, {Qt::Key_L, "Open EGG File"}}) {
    QString shown;
    answerer->Then([&shown](QWidget* modal) {
      shown = modal->windowTitle();
      QMetaObject::invokeMethod(modal, &QWidget::close, Qt::QueuedConnection);
    });
    Press(window(), key, Qt::ControlModifier);
    EXPECT_EQ(shown, title);
  }
  // F1 opens the help page.
  Press(window(), Qt::Key_F1);
  EXPECT_EQ(
      TakeOpenedUrls(),
      std::vector<std::string>{
          QUrl::fromLocalFile(QString::fromStdString(HelpPagePath())).toString().toStdString()});

  // Esc does nothing without a run; Ctrl+R starts one, Esc stops it.
  QSignalSpy stopped(form().stopButton, &QPushButton::clicked);
  Press(window(), Qt::Key_Escape);
  EXPECT_EQ(stopped.count(), 0);
  const std::string egg = WriteEggData("day.csv", "2011-05-03 00:00:00", "2011-05-03 23:59:59", 60);
  TypeLocalRequest(egg, "2011-05-03", "", "Keyed");
  Press(window(), Qt::Key_R, Qt::ControlModifier);
  ASSERT_TRUE(model().Busy()) << ::testing::PrintToString(answerer->Texts());
  Press(window(), Qt::Key_Escape);
  EXPECT_EQ(stopped.count(), 1);
  ASSERT_TRUE(WaitFor([&] { return !model().Busy(); }));
  EXPECT_FALSE(FileExists(dir.path() + "results/Keyed/Keyed.inf"));

  // Enter in a field is "Analyze data"; Enter on a focused button presses
  // that button.
  answerer->boxes.clear();
  const std::string hour = WriteEggData("hour.csv", "2011-05-03 00:00:00", "2011-05-03 00:59:59");
  TypeLocalRequest(hour, "2011-05-03 00:00:00", "2011-05-03 00:59:59", "Entered");
  QTest::keyClick(form().dataName, Qt::Key_Return);
  ASSERT_TRUE(WaitFor([&] { return answerer->HasBox(FinishedText("Entered"), ""); }))
      << ::testing::PrintToString(answerer->Texts());
  QSignalSpy displayed(form().displayButton, &QPushButton::clicked);
  form().displayButton->setFocus();
  QTest::keyClick(form().displayButton, Qt::Key_Return);
  EXPECT_EQ(displayed.count(), 1);
  ASSERT_TRUE(WaitFor([&] { return !model().Busy(); }));

  // Ctrl+Q ends the program: the window closes.
  Press(window(), Qt::Key_Q, Qt::ControlModifier);
  EXPECT_TRUE(WaitFor([&] { return !window().isVisible(); }));
}

TEST_F(KeyboardTest, EnterInEachDialogIsOk) {
  answerer->Then([](QWidget* modal) {
    auto* dialog = qobject_cast<CustomizeWindow*>(modal);
    ASSERT_NE(dialog, nullptr);
    dialog->outputRoot->setText("/data/entered");
    dialog->outputRoot->setFocus();
    QTest::keyClick(dialog->outputRoot, Qt::Key_Return);
  });
  window().actions().customize->trigger();
  EXPECT_EQ(StoredSetting("DataDir"), "/data/entered");

  answerer->Then([](QWidget* modal) {
    auto* dialog = qobject_cast<AudioWindow*>(modal);
    ASSERT_NE(dialog, nullptr);
    dialog->edits[0]->setText("11025");
    dialog->edits[0]->setFocus();
    QTest::keyClick(dialog->edits[0], Qt::Key_Enter, Qt::KeypadModifier);
  });
  window().actions().audio->trigger();
  EXPECT_EQ(StoredSetting("SampleRate"), "11025");
  EXPECT_EQ(model().config.audio.sampleRate, 11025);

  // The calculator's one action is "Calculate".
  QString probability;
  answerer->Then([&probability](QWidget* modal) {
    auto* dialog = qobject_cast<CalculatorWindow*>(modal);
    ASSERT_NE(dialog, nullptr);
    dialog->deviation->setText("0");
    dialog->degreesOfFreedom->setText("1");
    dialog->degreesOfFreedom->setFocus();
    QTest::keyClick(dialog->degreesOfFreedom, Qt::Key_Return);
    probability = dialog->probability->text();
    QMetaObject::invokeMethod(dialog, &QWidget::close, Qt::QueuedConnection);
  });
  window().actions().probCalculator->trigger();
  EXPECT_NEAR(probability.toDouble(), 0.5, 1e-7) << probability.toStdString();
  EXPECT_TRUE(answerer->HandlersDone());
}

// The About box is a message box, which the answerer would close itself:
// here Enter is the only thing pressed, and a box still open at the deadline
// is closed so that the test fails instead of hanging.
TEST_F(KeyboardTest, EnterClosesTheAboutBox) {
  answerer.reset();
  QString title;
  bool entered = false;
  bool closedByTest = false;
  const auto start = std::chrono::steady_clock::now();
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    if (!entered) {
      entered = true;
      title = box->windowTitle();
      QWidget* focus = box->focusWidget();
      QTest::keyClick(focus != nullptr ? focus : box, Qt::Key_Return);
    } else if (std::chrono::steady_clock::now() - start > kWindowDeadline) {
      closedByTest = true;
      box->done(0);
    }
  });
  poll.start();
  window().actions().about->trigger();
  EXPECT_TRUE(entered);
  EXPECT_EQ(title, "About Corvane");
  EXPECT_FALSE(closedByTest);
}

}  // namespace
}  // namespace corvane::testing
