// Corvane's window icon, drawn in code in the sizes a desktop asks for. It
// is the same picture as the installed corvane.svg (an egg on a blue tile,
// crossed by a trace), so the window and the desktop's launcher match
// without an SVG image plugin.
#pragma once

#include <QIcon>

namespace corvane {

QIcon CorvaneIcon();

}  // namespace corvane
