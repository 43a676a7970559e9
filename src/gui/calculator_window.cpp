#include "gui/calculator_window.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/field_exchange.h"
#include "gui/field_binding.h"
#include "gui/message_box.h"

namespace corvane {

CalculatorWindow::CalculatorWindow(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromLatin1(ChiSquareCalculator::kTitle));
  auto* grid = new QGridLayout(this);
  deviation = new QLineEdit;
  degreesOfFreedom = new QLineEdit;
  probability = new QLineEdit;
  probability->setReadOnly(true);
  probability->setMinimumWidth(
      probability->fontMetrics().horizontalAdvance(QStringLiteral("0.000000000000000e-000__")));
  deviation->setToolTip(
      QStringLiteral("How far the chi-square value lies above (or, negative, below) the median "
                     "of its distribution: a decimal number, at least minus the median."));
  degreesOfFreedom->setToolTip(QStringLiteral("Degrees of freedom: a whole number, 1 or more."));
  probability->setToolTip(
      QStringLiteral("The chance of a chi-square value at least median + deviation, 0 to 1 (0.5 "
                     "for a deviation of 0)."));
  const std::pair<const char*, QLineEdit*> rows[] = {
      {"Chi &square deviation from chance", deviation},
      {"&DF", degreesOfFreedom},
      {"&Probability", probability},
  };
  int row = 0;
  for (const auto& [label, edit] : rows) {
    auto* text = new QLabel(QString::fromLatin1(label));
    text->setBuddy(edit);
    grid->addWidget(text, row, 0);
    grid->addWidget(edit, row, 1);
    ++row;
  }
  calculateButton = new QPushButton(QStringLiteral("&Calculate"));
  calculateButton->setDefault(true);
  grid->addWidget(calculateButton, row, 1, Qt::AlignRight);
  connect(calculateButton, &QPushButton::clicked, this, [this] {
    model_.Calculate(*this);
    // A refused field keeps its text for correcting it; the result beside
    // it is cleared all the same.
    ShowProbability();
  });
  PushFields();
}

bool CalculatorWindow::PullFields() {
  return PullReal(deviation, model_.deviation, *this) &&
         PullInt(degreesOfFreedom, model_.degreesOfFreedom, *this);
}

void CalculatorWindow::PushFields() {
  PushReal(deviation, model_.deviation);
  PushInt(degreesOfFreedom, model_.degreesOfFreedom);
  ShowProbability();
}

void CalculatorWindow::ShowProbability() {
  SetText(probability, model_.probability ? RealFieldText(*model_.probability) : std::string());
}

void CalculatorWindow::ShowMessage(const std::string& text,
                                   const std::optional<std::string>& caption, MessageKind kind) {
  ShowMessageBox(this, text, caption, kind);
}

}  // namespace corvane
