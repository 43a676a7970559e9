#include "gui/qt_choosers.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "app/file_choosers.h"

namespace corvane {

namespace {

QString StartDirectory(const std::string& current) {
  return QString::fromStdString(ChooserStartDirectory(current, QDir::homePath().toStdString()));
}

}  // namespace

std::string QtChoosers::ChooseFile(const std::string& title, const std::string& filter,
                                   const std::string& current) {
  const QFileInfo file(QString::fromStdString(current));
  const QString start =
      file.isAbsolute() && file.isFile() ? file.absoluteFilePath() : StartDirectory(current);
  const QString path = QFileDialog::getOpenFileName(parent_, QString::fromStdString(title), start,
                                                    QString::fromStdString(QtFileFilter(filter)));
  return path.toStdString();
}

std::string QtChoosers::ChooseFolder(const std::string& title, const std::string& current) {
  QString path = QFileDialog::getExistingDirectory(
      parent_, QString::fromStdString(title), StartDirectory(current), QFileDialog::ShowDirsOnly);
  while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
  return path.toStdString();
}

}  // namespace corvane
