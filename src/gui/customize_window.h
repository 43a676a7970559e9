// The "Customize" dialog: directories, the subgroup file, gnuplot, the
// addresses, the progress log and the plot pictures, on the model
// CustomizeDialog.
//
// Opened from the form after it has pulled its values. Each "Browse" shows
// its chooser where the field's value points (a cancelled chooser keeps the
// field); each "Default" restores its address. "OK" (also Enter) copies the
// values into the form and stores them; "Cancel" (or closing the dialog)
// changes nothing. The form's controls show its values afterwards in either
// case. Every label and button has an access key of its own, and every
// field a tooltip.
#pragma once

#include <QDialog>

#include "app/customize_dialog.h"
#include "app/form_view.h"
#include "gui/qt_choosers.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QPushButton;

namespace corvane {

class AnalysisDialog;

class CustomizeWindow : public QDialog, public DialogView {
  Q_OBJECT

 public:
  CustomizeWindow(AnalysisDialog& form, QWidget* parent = nullptr);

  bool PullFields() override;
  void PushFields() override;
  void ShowMessage(const std::string& text, const std::optional<std::string>& caption,
                   MessageKind kind = MessageKind::kInformation) override;

  void accept() override;
  void reject() override;

  // The controls, for tests.
  QLineEdit* outputRoot = nullptr;
  QLineEdit* tempDirectory = nullptr;
  QLineEdit* eggGroupFile = nullptr;
  QLineEdit* remoteSaveDirectory = nullptr;
  QCheckBox* saveCompressed = nullptr;
  QLineEdit* gnuplotPath = nullptr;
  QLineEdit* timeZoneUrl = nullptr;
  QLineEdit* dataUrl = nullptr;
  QLineEdit* pseudoDataUrl = nullptr;
  QCheckBox* logProgress = nullptr;
  QComboBox* plotPictures = nullptr;  // none, PNG, SVG, PDF
  QPushButton* browseOutputRoot = nullptr;
  QPushButton* browseTempDirectory = nullptr;
  QPushButton* browseEggGroupFile = nullptr;
  QPushButton* browseRemoteSaveDirectory = nullptr;
  QPushButton* browseGnuplot = nullptr;
  QPushButton* defaultDataUrl = nullptr;
  QPushButton* defaultPseudoDataUrl = nullptr;

 private:
  void AddToolTips();
  QLineEdit* AddField(QGridLayout* grid, int row, const char* label, QPushButton** button,
                      const char* buttonText);

  CustomizeDialog model_;
  QtChoosers choosers_;
};

}  // namespace corvane
