// Running gnuplot without a display, to draw into a file terminal.
//
// RunHeadlessGnuplot starts `executable` (resolved as FindExecutable does;
// empty means "gnuplot" from the PATH) with no arguments, no -persist and
// an environment without DISPLAY or WAYLAND_DISPLAY, so that it can never
// open a window. It feeds `commands` on its standard input and hands what
// gnuplot writes on its standard output, in pieces, to `output` (a file
// terminal with no "set output" draws there). It waits for gnuplot to end.
//
// Returns nullopt when gnuplot ended with status 0; otherwise the reason:
// the program could not be started, `output` refused a piece, `stop`
// returned true, gnuplot did not end within `timeout`, or its exit status
// with the last of what it wrote on its standard error (gnuplot ends with
// status 1 at the first error in commands it reads from a pipe). A gnuplot
// that is still running when the call gives up is killed and reaped.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

std::optional<std::string> RunHeadlessGnuplot(const std::string& executable,
                                              std::string_view commands,
                                              const std::function<bool(std::string_view)>& output,
                                              const std::function<bool()>& stop,
                                              std::chrono::milliseconds timeout);

}  // namespace corvane
