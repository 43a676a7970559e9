// Hands a web address or a local file to the user's default opener, the
// desktop's xdg-open (found on the PATH), and tells whether it was shown.
//
// The opener runs as a process of its own with the target as its argument
// and standard input from /dev/null. The page counts as shown when the opener
// exits with status 0 within waitMs, or is still running then (an opener that
// waits for the program showing the page: that program is running); it is
// left running and reaped once it ends, and it outlives Corvane. Not shown:
// no opener on the PATH, an opener that cannot be started, or one that
// exits with another status (xdg-open: 3 when no program can show the page,
// 4 when that program failed). While waiting, the event loop runs without
// user input, so the window keeps repainting but takes no clicks.
#pragma once

#include <string>

namespace corvane {

bool OpenWithDesktopOpener(const std::string& target, int waitMs);

}  // namespace corvane
