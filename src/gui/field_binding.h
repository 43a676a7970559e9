// The exchange between a line edit and a field of a form or dialog model.
//
// Pull* copies a control's text into a field. A text that is not an integer
// (or not a number) leaves the field as it was, shows "Please enter an
// integer." (or "Please enter a number.") through the view, puts the focus
// on the control with its text selected, and returns false, so the action
// that pulled stops. Numbers are in the C form whatever the user's locale;
// reals are shown with up to 15 significant digits.
#pragma once

#include <cstdint>
#include <string>

#include "app/form_view.h"

class QLineEdit;

namespace corvane {

std::string TextOf(const QLineEdit* edit);
void SetText(QLineEdit* edit, const std::string& text);

bool PullInt(QLineEdit* edit, int& field, DialogView& view);
bool PullReal(QLineEdit* edit, double& field, DialogView& view);

void PushInt(QLineEdit* edit, std::int64_t value);
void PushReal(QLineEdit* edit, double value);

}  // namespace corvane
