#include "output/plot_script.h"

#include "core/c_format.h"

namespace corvane {

std::string GnuplotString(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\' || c == '"' || c == '`') {
      escaped += '\\';
      escaped += c;
    } else if (byte < 0x20 || byte == 0x7f) {
      escaped += CFormat("\\%03o", byte);
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::string PlotTitle(const std::string& dataName, DateTime first, DateTime last) {
  const std::string firstDate = first.DateText(), lastDate = last.DateText();
  std::string title = dataName + " " + firstDate + " " + first.TimeText() + " -- ";
  if (lastDate != firstDate) title += lastDate + " ";
  return title + last.TimeText();
}

std::string ScriptHead(double width, double height, std::string_view title,
                       std::string_view yLabel) {
  std::string head = kTerminalLine;
  head += CFormat("set size %f, %f\n", width, height);
  head += "set title \"" + GnuplotString(title) + "\"\n";
  head += "set ylabel \"" + GnuplotString(yLabel) + "\"\n";
  head += "set xlabel \"" + GnuplotString(kElapsedLabel) + "\"\n";
  return head;
}

int HourLabelStep(std::int64_t firstHour, std::int64_t lastHour) {
  // The number of labelled hours, multiples of step, in firstHour ... lastHour.
  auto labels = [&](std::int64_t step) {
    return lastHour / step - (firstHour + step - 1) / step + 1;
  };
  for (const int step : {1, 2, 3, 6, 12, 24}) {
    if (labels(step) <= kMaxHourLabels) return step;
  }
  std::int64_t days = 2;
  while (labels(24 * days) > kMaxHourLabels) ++days;
  return static_cast<int>(24 * days);
}

std::string TickBlock(std::int64_t firstTime, int resolution, std::int64_t samples) {
  std::string block = "set xtics ( \\\n";
  const std::int64_t hour = DateTime::kSecondsPerHour;
  resolution = resolution < 1 ? 1 : resolution;
  const std::int64_t elapsed = samples * resolution;
  // The first elapsed second that falls on a whole hour.
  const std::int64_t start = ((hour - firstTime % hour) % hour + hour) % hour;
  if (start >= elapsed) return block + "\\\n    )\n";
  const std::int64_t step =
      elapsed <= kEveryHourLabelled ? 1 : HourLabelStep(start / hour, (elapsed - 1) / hour);
  for (std::int64_t i = start; i < elapsed; i += hour) {
    if (i != start) block += ",\\\n";
    const std::int64_t label = i / hour;
    // Every hour keeps its tick mark; on a long run only every step-th is
    // labelled, so that the labels stay readable.
    const std::string text =
        label % step == 0 ? CFormat("%lld", static_cast<long long>(label)) : "";
    block += CFormat("\"%s\" %lld", text.c_str(), static_cast<long long>(i / resolution));
  }
  return block + "\\\n    )\n";
}

std::string PlotCommand(std::string_view dataPath, int column, std::string_view legend,
                        bool referenceCurve) {
  const std::string path = GnuplotString(dataPath);
  std::string command = CFormat("plot \"%s\" using 1:%d title \"%s\" with lines", path.c_str(),
                                column, GnuplotString(legend).c_str());
  if (referenceCurve) {
    command += CFormat(",\\\n     \"%s\" using 1:3 title \"p=%.3f\" with lines", path.c_str(),
                       kReferenceProbability);
  }
  return command + "\n";
}

}  // namespace corvane
