// The program's modal message box: the text with an OK button and the icon
// of its kind (information, warning or critical).
//
// A caption of nullopt is the platform's default, the application's name
// ("Corvane"); an empty caption is shown as an empty title. Returns once the
// box has been acknowledged (closing it counts); meanwhile the event loop
// runs, so the window keeps repainting and a running job keeps working.
#pragma once

#include <optional>
#include <string>

#include "core/form_link.h"

class QWidget;

namespace corvane {

void ShowMessageBox(QWidget* parent, const std::string& text,
                    const std::optional<std::string>& caption, MessageKind kind);

}  // namespace corvane
