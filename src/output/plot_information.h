// The information file of a run ("name.inf"): what a later re-display needs
// to rebuild the plot script for another variable, and a record of the run's
// event and smoothing settings.
//
// Lines: "nRecords %d", "title %s", "stouffer_legend Composite: %d eggs:
// p = %.4f", "covar_legend Composite: %d eggs: p = %.4f", then (when the
// event time text is not empty) "Event time= %s, duration= %d", then the
// smoothing line of the run's mode.
//
// ReadPlotInformation reads the first four lines back, each whole up to the
// line limit of LineReader (far above any title a run writes). title and the
// legends keep the blank that follows their keyword and lose the line end.
// A file whose first four lines are not of that form (keyword, and for
// nRecords a count of at least 0) or that holds a longer line among them is
// malformed.
#pragma once

#include <cstdint>
#include <string>

#include "core/analysis_settings.h"

namespace corvane {

struct PlotInformation {
  std::int64_t records = 0;
  std::string title;           // " name yyyy-mm-dd ..."
  std::string stoufferLegend;  // " Composite: ..."
  std::string covarLegend;
};

// The whole text of an information file.
std::string PlotInformationText(std::int64_t records, const std::string& title, int useableEggs,
                                double stoufferUpper, double covarUpper,
                                const AnalysisSettings& settings);

// kNotRegular: the name is a FIFO, a device or a directory (refused without
// waiting on it).
enum class InformationStatus { kOk, kMissing, kMalformed, kNotRegular };

InformationStatus ReadPlotInformation(const std::string& path, PlotInformation& information);

}  // namespace corvane
