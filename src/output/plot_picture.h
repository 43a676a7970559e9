// The picture of a run's plot: "name.png", "name.svg" or "name.pdf" beside
// its script, drawn by gnuplot from that script with a file terminal.
//
// The names of the formats are those of the "PlotPictures" setting: "none",
// "png", "svg" and "pdf" (any case when read).
//
// PictureScript is the script with its window terminal line replaced by the
// file terminal of the format at 1200 x 750 (pixels for PNG and SVG, points
// for PDF), drawing to standard output; everything else is the script as it
// stands, so the picture shows what the window shows.
//
// DrawPlotPicture draws the picture of the script text just committed as
// files.script, when context.settings.plotPictures asks for one: gnuplot
// (context.settings.gnuplotPath) runs without a display (headless_gnuplot.h),
// its output goes into the picture as a file of the run's set
// (context.results), and the set is committed, so the picture appears whole
// or not at all and replaces an earlier one in one step. Returns true when
// no picture was asked for or it is in place. A picture that could not be
// drawn is shown with ShowMessage ("Failed to draw the plot picture <path>:
// <reason>"; in batch mode a summary line) and the earlier picture stays.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/run_context.h"
#include "output/plot_files.h"

namespace corvane {

std::optional<PictureFormat> PictureFormatFromName(std::string_view name);
const char* PictureFormatName(PictureFormat format);
// ".png", ".svg", ".pdf"; "" for kNone.
const char* PictureExtension(PictureFormat format);

std::string PictureScript(std::string_view script, PictureFormat format);

bool DrawPlotPicture(RunContext& context, const PlotFiles& files, std::string_view script);

}  // namespace corvane
