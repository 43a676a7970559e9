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

std::string TickBlock(std::int64_t firstTime, int resolution, std::int64_t samples) {
  std::string block = "set xtics ( \\\n";
  const std::int64_t hour = DateTime::kSecondsPerHour;
  resolution = resolution < 1 ? 1 : resolution;
  const std::int64_t elapsed = samples * resolution;
  // The first elapsed second that falls on a whole hour.
  std::int64_t i = ((hour - firstTime % hour) % hour + hour) % hour;
  for (bool first = true; i < elapsed; i += hour, first = false) {
    if (!first) block += ",\\\n";
    block += CFormat("\"%lld\" %lld", static_cast<long long>(i / hour),
                     static_cast<long long>(i / resolution));
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
