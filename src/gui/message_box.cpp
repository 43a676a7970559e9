#include "gui/message_box.h"

#include <QGuiApplication>
#include <QMessageBox>

namespace corvane {

namespace {

QMessageBox::Icon IconOf(MessageKind kind) {
  switch (kind) {
    case MessageKind::kWarning:
      return QMessageBox::Warning;
    case MessageKind::kCritical:
      return QMessageBox::Critical;
    case MessageKind::kInformation:
      break;
  }
  return QMessageBox::Information;
}

}  // namespace

void ShowMessageBox(QWidget* parent, const std::string& text,
                    const std::optional<std::string>& caption, MessageKind kind) {
  QMessageBox box(parent);
  box.setIcon(IconOf(kind));
  box.setWindowTitle(caption ? QString::fromStdString(*caption)
                             : QGuiApplication::applicationDisplayName());
  box.setText(QString::fromStdString(text));
  box.setTextFormat(Qt::PlainText);
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
}

}  // namespace corvane
