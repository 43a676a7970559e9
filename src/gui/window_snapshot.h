// Helpers for the program's screenshot and start-up options: waiting until
// a window is on the screen, and saving a window's picture.
#pragma once

#include <functional>
#include <string>

class QWidget;

namespace corvane {

// Calls done(true) once the shown top-level widget's window is exposed on
// the screen and its layout is done, or done(false) when that has not
// happened within timeoutMs. Returns at once; done runs from the event loop.
void WhenExposed(QWidget& widget, int timeoutMs, std::function<void(bool exposed)> done);

// Renders the widget (without the window manager's frame) into a PNG file.
// False when the file could not be written.
bool SaveSnapshot(QWidget& widget, const std::string& path);

}  // namespace corvane
