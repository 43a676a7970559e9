#include "gui/field_binding.h"

#include <optional>

#include <QLineEdit>

#include "app/field_exchange.h"

namespace corvane {

namespace {

bool Refuse(QLineEdit* edit, const char* message, DialogView& view) {
  view.ShowMessage(message, std::nullopt, MessageKind::kWarning);
  edit->setFocus(Qt::OtherFocusReason);
  edit->selectAll();
  return false;
}

}  // namespace

std::string TextOf(const QLineEdit* edit) { return edit->text().toStdString(); }

void SetText(QLineEdit* edit, const std::string& text) {
  const QString value = QString::fromStdString(text);
  // Keeps the cursor and selection of a control whose text did not change.
  if (edit->text() != value) edit->setText(value);
}

bool PullInt(QLineEdit* edit, int& field, DialogView& view) {
  const std::optional<int> value = IntegerFromField(TextOf(edit));
  if (!value) return Refuse(edit, kEnterInteger, view);
  field = *value;
  return true;
}

bool PullReal(QLineEdit* edit, double& field, DialogView& view) {
  const std::optional<double> value = RealFromField(TextOf(edit));
  if (!value) return Refuse(edit, kEnterNumber, view);
  field = *value;
  return true;
}

void PushInt(QLineEdit* edit, std::int64_t value) { SetText(edit, IntegerFieldText(value)); }

void PushReal(QLineEdit* edit, double value) { SetText(edit, RealFieldText(value)); }

}  // namespace corvane
