#include "gui/about_window.h"

#include <QMessageBox>

#include "app/about_box.h"
#include "gui/app_icon.h"

namespace corvane {

void ShowAboutBox(QWidget* parent) {
  const AboutText about = AboutCorvane();
  QMessageBox box(parent);
  box.setWindowTitle(QString::fromStdString(about.title));
  box.setIconPixmap(CorvaneIcon().pixmap(64, 64));
  box.setTextFormat(Qt::PlainText);
  box.setText(QString::fromStdString(about.versionLine));
  box.setInformativeText(QString::fromStdString(about.description));
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
}

}  // namespace corvane
