// The program's modal message box: the text with an OK button.
//
// A caption of nullopt is the platform's default, the application's name
// ("Corvane"); an empty caption is shown as an empty title. Returns once the
// box has been acknowledged (closing it counts); meanwhile the event loop
// runs, so the window keeps repainting and a running job keeps working.
#pragma once

#include <optional>
#include <string>

class QWidget;

namespace corvane {

void ShowMessageBox(QWidget* parent, const std::string& text,
                    const std::optional<std::string>& caption);

}  // namespace corvane
