// The plot windows that one form has opened, one per data name.
//
// Each data name gets a window number of its own, 0, 1, 2 ... in the order
// the names are first shown, that stays the same for the life of the
// object. Every launch of gnuplot for a window carries a mark of its own in
// its environment (kPlotWindowVariable), which gnuplot hands on to the
// process that holds its window. A new plot of a name replaces the window
// showing the name's earlier plot: Replace notes the new launch's mark and
// returns the earlier one, which CloseWindow then ends.
//
// The object is shared by the form's thread and the job threads; its
// operations are safe to call from any thread.
#pragma once

#include <map>
#include <mutex>
#include <string>

namespace corvane {

inline constexpr char kPlotWindowVariable[] = "CORVANE_PLOT_WINDOW";

class PlotWindows {
 public:
  int Number(const std::string& name);
  // A mark no other launch of this process has had.
  std::string NewMark();
  // Notes mark as the launch showing name's window; returns the mark of
  // the launch that showed it before, or "".
  std::string Replace(const std::string& name, const std::string& mark);

 private:
  struct Window {
    int number = 0;
    std::string mark;
  };
  std::mutex mutex_;
  std::map<std::string, Window> windows_;
  long marks_ = 0;
};

// Ends what is left of the launch with that mark: this user's processes
// named gnuplot or gnuplot_qt whose environment holds the mark (a closed
// window has left none). An empty mark ends nothing.
void CloseWindow(const std::string& mark);

}  // namespace corvane
