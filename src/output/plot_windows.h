// The plot windows that one form has opened, one per data name.
//
// Each data name gets a window number of its own, 0, 1, 2 ... in the order
// the names are first shown, that stays the same for the life of the
// object. Every launch of gnuplot for a window runs in a process group of
// its own (gnuplot_launcher.h); a new plot of a name replaces the window
// showing the name's earlier plot: Replace notes the new group and returns
// the earlier one, which CloseWindowGroup then ends.
//
// The object is shared by the form's thread and the job threads; its
// operations are safe to call from any thread.
#pragma once

#include <sys/types.h>

#include <map>
#include <mutex>
#include <string>

namespace corvane {

class PlotWindows {
 public:
  int Number(const std::string& name);
  // Notes group as the process group showing name's window; returns the
  // group that showed it before, or 0.
  pid_t Replace(const std::string& name, pid_t group);

 private:
  struct Window {
    int number = 0;
    pid_t group = 0;
  };
  std::mutex mutex_;
  std::map<std::string, Window> windows_;
};

// Ends what is left of a plot window's process group: the processes named
// gnuplot or gnuplot_qt whose process group and session are both `group`
// (a group that launch made; a closed window has left none, and a number
// taken up since by anything else is left alone).
void CloseWindowGroup(pid_t group);

}  // namespace corvane
