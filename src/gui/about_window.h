// The About box: the program's icon, name and version line and a short
// description, with an OK button. Modal; returns when closed.
#pragma once

class QWidget;

namespace corvane {

void ShowAboutBox(QWidget* parent);

}  // namespace corvane
