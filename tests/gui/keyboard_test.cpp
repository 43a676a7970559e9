// The window and its dialogs from the keyboard: every label, button, group
// and menu carries an access key, none twice in one window, and each does
// what it names, also when the opener cannot show a page; the shortcuts;
// Enter in the About box.
#include <filesystem>
#include <map>

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
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

// The help page as it is handed to the user's default opener.
std::string HelpPageUrl() {
  return QUrl::fromLocalFile(QString::fromStdString(HelpPagePath())).toString().toStdString();
}

// Presses Alt and the access key.
void PressAlt(QWidget& window, char key) {
  Press(window, static_cast<Qt::Key>(QChar::fromLatin1(key).toUpper().unicode()), Qt::AltModifier);
}

TEST_F(KeyboardTest, EveryLabelButtonAndMenuHasAnAccessKeyNoneTwiceInAWindow) {
  EXPECT_EQ(AccessKeysOf(&window()).size(), 23u);  // 3 menus, 4 buttons, 15 field labels, 1 group

  // Alt and a label's key focuses its field.
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

  // The menus open; each item's key, of its own in its menu, runs the item.
  // A dialog or chooser that the item opens is closed again; each dialog's
  // labels and buttons (Customize's five "Browse" buttons included) have
  // keys of their own. Without a program that can show a page, each page's
  // command says so.
  model().config.timeZoneUrl = "https://clock.example.org/worldclock/converter.html";
  SetOpenerStatus(3);  // xdg-open: no program can show the page
  answerer->boxes.clear();
  struct Item {
    char menu, key;
    QAction* action;
    const char* opens;  // the title of the dialog or chooser it opens
    size_t keys;        // the access keys of that dialog
  };
  const AnalysisWindow::Actions& a = window().actions();
  const std::vector<Item> items = {
      {'f', 'b', a.openBatchFile, "Open Batch File", 0},
      {'f', 'l', a.openLocalEggFile, "Open EGG File", 0},
      {'f', 't', a.openTimeZoneConverter, nullptr, 0},
      {'o', 'c', a.customize, "Customize", 20},
      {'o', 'a', a.audio, "Audio Dialog", 13},
      {'o', 'p', a.probCalculator, "ChiSquare Probability Calculator", 4},
      {'h', 'h', a.help, nullptr, 0},
      {'h', 'a', a.about, nullptr, 0},
      {'h', 'k', a.kelmarHome, nullptr, 0}};
  for (const Item& item : items) {
    SCOPED_TRACE(item.action->text().toStdString());
    PressAlt(window(), item.menu);
    ASSERT_TRUE(WaitFor([] { return QApplication::activePopupWidget() != nullptr; }));
    QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    if (item.opens != nullptr) {
      answerer->Then([&item](QWidget* modal) {
        EXPECT_EQ(modal->windowTitle(), item.opens);
        if (item.keys != 0) {
          EXPECT_EQ(AccessKeysOf(modal).size(), item.keys);
        }
        QMetaObject::invokeMethod(modal, &QWidget::close, Qt::QueuedConnection);
      });
    }
    QSignalSpy triggered(item.action, &QAction::triggered);
    QTest::keyClick(menu, item.key);
    EXPECT_TRUE(WaitFor([&] { return triggered.count() == 1; }));
    EXPECT_TRUE(WaitFor([] { return QApplication::activeModalWidget() == nullptr; }));
    EXPECT_TRUE(answerer->HandlersDone());
  }
  EXPECT_EQ(TakeOpenedUrls(), (std::vector<std::string>{model().config.timeZoneUrl, HelpPageUrl(),
                                                        HomePageUrl(model().config.dataUrl)}));
  // (The texts of the failures: the model's test.)
  const std::vector<ModalAnswerer::Box>& boxes = answerer->boxes;
  ASSERT_EQ(boxes.size(), 4u) << ::testing::PrintToString(answerer->Texts());
  EXPECT_EQ(boxes[2].title, "About Corvane");
  EXPECT_EQ(boxes[2].text.rfind("Corvane Version ", 0), 0u) << boxes[2].text;
  for (const size_t i : {0u, 1u, 3u}) EXPECT_EQ(boxes[i].icon, QMessageBox::Warning) << i;
}

TEST_F(KeyboardTest, ShortcutsDoWhatTheyName) {
  // Ctrl+O and Ctrl+L open their choosers at the folder of the field's
  // value, also of a file no longer there, else at home; cancelled, they
  // leave the fields as they were.
  const std::string batches = dir.path() + "batches";
  std::filesystem::create_directories(batches);
  form().batchFile->setText(QString::fromStdString(batches + "/old.ebb"));
  form().localEggFile->clear();
  std::vector<QString> opened;
  for (const Qt::Key key : {Qt::Key_O, Qt::Key_L}) {
    answerer->Then([&opened](QWidget* modal) {
      auto* chooser = qobject_cast<QFileDialog*>(modal);
      ASSERT_NE(chooser, nullptr);
      opened.push_back(chooser->windowTitle() + " at " + chooser->directory().absolutePath());
      QMetaObject::invokeMethod(chooser, &QDialog::reject, Qt::QueuedConnection);
    });
    Press(window(), key, Qt::ControlModifier);
  }
  EXPECT_EQ(opened, (std::vector<QString>{"Open Batch File at " +
                                              QDir(QString::fromStdString(batches)).canonicalPath(),
                                          "Open EGG File at " + QDir::homePath()}));
  EXPECT_EQ(form().batchFile->text().toStdString(), batches + "/old.ebb");
  EXPECT_EQ(form().localEggFile->text(), "");

  // F1 opens the help page.
  Press(window(), Qt::Key_F1);
  EXPECT_EQ(TakeOpenedUrls(), std::vector<std::string>{HelpPageUrl()});
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

  // Enter closes the About box of the window's context menu: the answerer
  // hands the box over instead of acknowledging it.
  answerer->acknowledgeBoxes = false;
  QString title;
  answerer->Then([&title](QWidget* box) {
    title = box->windowTitle();
    QTest::keyClick(box->focusWidget() != nullptr ? box->focusWidget() : box, Qt::Key_Return);
  });
  window().actions().aboutCorvane->trigger();
  EXPECT_TRUE(answerer->HandlersDone());
  EXPECT_EQ(title, "About Corvane");

  // Ctrl+Q ends the program: the window closes.
  Press(window(), Qt::Key_Q, Qt::ControlModifier);
  EXPECT_TRUE(WaitFor([&] { return !window().isVisible(); }));
}

}  // namespace
}  // namespace corvane::testing
