// Launching gnuplot on a plot script.
//
// LaunchGnuplot starts `executable script -persist` as a process of its own,
// from an argument vector (no shell is involved, so no character of a path
// is special). An executable without a "/" is looked up in the PATH; an
// empty one means "gnuplot" from the PATH. The process runs in a session of
// its own, detached from ours (double fork: the intermediate child is reaped
// at once and gnuplot is adopted by the system), with its standard streams
// on /dev/null and none of our other descriptors (a pipe that reads our
// output is not held open by the window), so its window stays open after
// this program's run, or the program itself, has ended. Returns true
// once the executable has been started, false (with the program and the
// reason in *error) when it could not be found or executed.
//
// LaunchPlot is the launch of a run: it logs the executable, the parameters
// and "Launching wgnuplot", launches, and logs "Launch was successful" or
// shows "Failed to launch Gnuplot: " with the program, the reason and where
// to set the program. The window is titled with the run's data name and
// numbered by context.plotWindows (0 without); the script keeps its own
// terminal line, whose options the title and number outlast. A new plot of
// a name replaces the window of that name's earlier plot.
#pragma once

#include <string>

#include "core/run_context.h"

namespace corvane {

// The file to execute for a program name: a name with a "/" as it stands,
// else the first executable of that name in the PATH. Empty when there is
// none.
std::string FindExecutable(const std::string& name);

// `command`, when given, is run before the script (gnuplot's -e); `mark`,
// when given, marks the processes of the launch, gnuplot and its window's
// process, so that they can be found again (plot_windows.h).
bool LaunchGnuplot(const std::string& executable, const std::string& script,
                   std::string* error = nullptr, const std::string& command = std::string(),
                   const std::string& mark = std::string());

bool LaunchPlot(const RunContext& context, const std::string& script);

}  // namespace corvane
