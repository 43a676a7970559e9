// The file and folder choosers of the program, on Qt's dialogs.
//
// Each chooser opens where the field's current value points
// (ChooserStartDirectory: its folder, else the user's home folder); a file
// chooser also preselects the file the value names when it exists.
// ChooseFile shows a modal file-open dialog with the given title and the
// filter converted to Qt's form; only an existing file can be chosen. It
// returns the chosen path, or an empty text when the user cancels.
// ChooseFolder shows a modal folder dialog that accepts only existing
// directories; it returns the chosen directory's full path without a
// trailing separator ("/" itself stays), or an empty text when the user
// cancels.
#pragma once

#include <string>

#include "app/form_view.h"

class QWidget;

namespace corvane {

class QtChoosers : public Choosers {
 public:
  explicit QtChoosers(QWidget* parent) : parent_(parent) {}

  std::string ChooseFile(const std::string& title, const std::string& filter,
                         const std::string& current) override;
  std::string ChooseFolder(const std::string& title, const std::string& current) override;

 private:
  QWidget* parent_;
};

}  // namespace corvane
