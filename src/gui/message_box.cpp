#include "gui/message_box.h"

#include <QGuiApplication>
#include <QMessageBox>

namespace corvane {

void ShowMessageBox(QWidget* parent, const std::string& text,
                    const std::optional<std::string>& caption) {
  QMessageBox box(parent);
  box.setWindowTitle(caption ? QString::fromStdString(*caption)
                             : QGuiApplication::applicationDisplayName());
  box.setText(QString::fromStdString(text));
  box.setTextFormat(Qt::PlainText);
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
}

}  // namespace corvane
