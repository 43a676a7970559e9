// The texts of the gnuplot scripts: the analysis plot and its re-displays.
//
// A script is ScriptHead (terminal, size, title, y and x labels), then, when
// there is something to plot, TickBlock and PlotCommand. Every text placed
// inside a gnuplot string goes through GnuplotString, so a path or title with
// backslashes, quotes, back quotes or control characters reads back as
// itself and never runs a command.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/date_time.h"

namespace corvane {

// The window terminal of this platform. Texts are drawn as written: gnuplot's
// enhanced text mode would turn the "_" of "Stouffer_Z" or of a data name
// into a subscript (and "^", "{", "}", "@", "&", "~" into markup).
inline constexpr char kTerminalLine[] = "set term qt noenhanced\n";
// The x axis label: the time axis is in hours.
inline constexpr char kElapsedLabel[] = "Hours Elapsed";
// The probability of the reference curve.
inline constexpr double kReferenceProbability = 0.05;

// The text escaped for use between double quotes in a gnuplot script.
std::string GnuplotString(std::string_view text);

// "name yyyy-mm-dd hh:mm:ss -- [yyyy-mm-dd ]hh:mm:ss": the date of the last
// time is left out when both times lie on the same calendar day (UTC).
std::string PlotTitle(const std::string& dataName, DateTime first, DateTime last);

// "set term", "set size", "set title", "set ylabel" and "set xlabel" lines.
std::string ScriptHead(double width, double height, std::string_view title,
                       std::string_view yLabel);

// Runs up to two days long label every hour; longer ones about
// kMaxHourLabels hours at most.
inline constexpr std::int64_t kEveryHourLabelled = 2 * 24 * 3600;
inline constexpr std::int64_t kMaxHourLabels = 24;

// Which elapsed hours get a label when the ticks run from hour firstHour to
// lastHour: every step-th, the first step of 1, 2, 3, 6, 12, 24, 48, 72 ...
// that leaves at most kMaxHourLabels labels.
int HourLabelStep(std::int64_t firstHour, std::int64_t lastHour);

// The "set xtics" block: a tick at every elapsed second i in
// 0 ... samples * resolution - 1 where firstTime + i is a whole hour, placed
// at sample i / resolution and labelled i / 3600. A run longer than
// kEveryHourLabelled seconds labels only the hours that are multiples of
// HourLabelStep; the other ticks get "".
std::string TickBlock(std::int64_t firstTime, int resolution, std::int64_t samples);

// The plot line of one data file column with its legend; with the reference
// curve, the line continues with column 3 titled "p=0.050".
std::string PlotCommand(std::string_view dataPath, int column, std::string_view legend,
                        bool referenceCurve);

}  // namespace corvane
