// The "ChiSquare Probability Calculator": the probability of a chi-square
// deviation from the median for a number of degrees of freedom, on the model
// ChiSquareCalculator.
//
// "Calculate" (also Enter) pulls the deviation (a number) and the DF (an
// integer), shows the probability with up to 15 significant digits, or shows
// why it cannot be computed and leaves the probability empty; a field that
// is not a number clears the probability too. The dialog has no OK or Cancel
// button; it is closed with the window's close control (or Escape).
#pragma once

#include <QDialog>

#include "app/chi_square_calculator.h"
#include "app/form_view.h"

class QLineEdit;
class QPushButton;

namespace corvane {

class CalculatorWindow : public QDialog, public DialogView {
  Q_OBJECT

 public:
  explicit CalculatorWindow(QWidget* parent = nullptr);

  bool PullFields() override;
  void PushFields() override;
  void ShowMessage(const std::string& text, const std::optional<std::string>& caption,
                   MessageKind kind = MessageKind::kInformation) override;

  // The controls, for tests.
  QLineEdit* deviation = nullptr;
  QLineEdit* degreesOfFreedom = nullptr;
  QLineEdit* probability = nullptr;
  QPushButton* calculateButton = nullptr;

 private:
  void ShowProbability();

  ChiSquareCalculator model_;
};

}  // namespace corvane
