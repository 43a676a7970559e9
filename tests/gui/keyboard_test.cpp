// The window and its dialogs from the keyboard: every label, button, group
// and menu carries an access key, none twice in one window, and each does
// what it names, also when the opener cannot show a page; the shortcuts;
// Enter in the About box. (Enter in the form and in the other dialogs: the
// run and dialogs tests.)
#include <map>

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "app/menu_commands.h"
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

  // The menus open; each item's key runs the item. Without a program that
  // can show a page, each page's command says so and gives what to open by
  // hand.
  model().config.timeZoneUrl = "https://clock.example.org/worldclock/converter.html";
  SetOpenerStatus(3);  // xdg-open: no program can show the page
  answerer->boxes.clear();
  std::vector<ModalAnswerer::Box> boxes;
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
    boxes.insert(boxes.end(), answerer->boxes.begin(), answerer->boxes.end());
    answerer = std::make_unique<ModalAnswerer>();  // drops an unused handler
  }
  EXPECT_EQ(
      TakeOpenedUrls(),
      (std::vector<std::string>{
          model().config.timeZoneUrl,
          QUrl::fromLocalFile(QString::fromStdString(HelpPagePath())).toString().toStdString(),
          HomePageUrl(model().config.dataUrl)}));
  const std::string address = "Open this address in a web browser:\n";
  ASSERT_EQ(boxes.size(), 4u) << ::testing::PrintToString(answerer->Texts());
  EXPECT_EQ(boxes[0].text,
            "Could not open the time zone converter. " + address + model().config.timeZoneUrl);
  EXPECT_EQ(boxes[1].text,
            "Failed to launch help. Open this file in a web browser:\n" + HelpPagePath());
  EXPECT_EQ(boxes[2].title, "About Corvane");
  EXPECT_EQ(boxes[2].text.rfind("Corvane Version ", 0), 0u) << boxes[2].text;
  EXPECT_EQ(boxes[3].text, "Could not open the Kelmar home page. " + address +
                               HomePageUrl(model().config.dataUrl));
  for (const size_t i : {0u, 1u, 3u}) EXPECT_EQ(boxes[i].icon, QMessageBox::Warning) << i;
}

// (Ctrl+O and Ctrl+L: the chooser test; Enter in the form: the run test.)
TEST_F(KeyboardTest, ShortcutsDoWhatTheyName) {
  // F1 opens the help page.
  Press(window(), Qt::Key_F1);
  EXPECT_EQ(
      TakeOpenedUrls(),
      std::vector<std::string>{
          QUrl::fromLocalFile(QString::fromStdString(HelpPagePath())).toString().toStdString()});
  EXPECT_TRUE(answerer->boxes.empty());  // shown: nothing to report

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

  // Ctrl+Q ends the program: the window closes.
  Press(window(), Qt::Key_Q, Qt::ControlModifier);
  EXPECT_TRUE(WaitFor([&] { return !window().isVisible(); }));
}

// The About box is a message box: the answerer hands it over here instead
// of acknowledging it, and Enter is the only thing pressed.
TEST_F(KeyboardTest, EnterClosesTheAboutBox) {
  answerer->acknowledgeBoxes = false;
  QString title;
  answerer->Then([&title](QWidget* box) {
    title = box->windowTitle();
    QWidget* focus = box->focusWidget();
    QTest::keyClick(focus != nullptr ? focus : box, Qt::Key_Return);
  });
  window().actions().aboutCorvane->trigger();  // the window's context menu
  EXPECT_TRUE(answerer->HandlersDone());
  EXPECT_EQ(title, "About Corvane");
}

}  // namespace
}  // namespace corvane::testing
