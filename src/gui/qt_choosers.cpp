#include "gui/qt_choosers.h"

#include <QDir>
#include <QFileDialog>

#include "app/file_choosers.h"

namespace corvane {

std::string QtChoosers::ChooseFile(const std::string& title, const std::string& filter) {
  const QString path =
      QFileDialog::getOpenFileName(parent_, QString::fromStdString(title), QString(),
                                   QString::fromStdString(QtFileFilter(filter)));
  return path.toStdString();
}

std::string QtChoosers::ChooseFolder(const std::string& title) {
  QString path = QFileDialog::getExistingDirectory(parent_, QString::fromStdString(title),
                                                   QDir::rootPath(), QFileDialog::ShowDirsOnly);
  while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
  return path.toStdString();
}

}  // namespace corvane
