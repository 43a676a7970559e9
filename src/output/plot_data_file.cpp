#include "output/plot_data_file.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/c_format.h"
#include "core/parallel_for.h"

namespace corvane {
namespace {

// Lines formatted and written per block, which bounds the memory they take.
constexpr int kBlockLines = 32768;

double Value(const std::vector<double>& values, size_t c) {
  return c < values.size() && !std::isnan(values[c]) ? values[c] : 0.0;
}

// "%d %f %f %f %f %f %f %f %f %f %f %f %f %f\n" with the sample's columns.
std::string DataLine(const CompositeSeries& series, const CumulativeStatistics& cumulative,
                     size_t c) {
  std::string line = std::to_string(c);
  for (const double value :
       {cumulative.deviation[c], cumulative.reference[c], 1.0 - cumulative.stoufferProb[c],
        series.lpdev[c], series.alpdev[c], Value(series.eggvar, c), series.lpvar[c],
        series.lpadev[c], series.lpmax[c], series.cvar[c], Value(series.eventEcho, c),
        cumulative.covarSum[c], 1.0 - cumulative.covarProb[c]}) {
    line += ' ';
    AppendFixed(line, value, 6);
  }
  line += '\n';
  return line;
}

}  // namespace

int WritePlotData(const RunContext& context, const CompositeSeries& series,
                  const CumulativeStatistics& cumulative, OutputFile& file) {
  if (!cumulative.complete) return 0;
  size_t rows = cumulative.deviation.size();
  for (const std::vector<double>* column : {&series.lpdev, &series.alpdev, &series.lpvar,
                                            &series.lpadev, &series.lpmax, &series.cvar}) {
    rows = std::min(rows, column->size());
  }
  const int n = static_cast<int>(rows);
  int written = 0;
  std::vector<std::string> lines;
  for (int block = 0; block < n && !context.Aborted(); block += kBlockLines) {
    const int count = std::min(kBlockLines, n - block);
    lines.assign(static_cast<size_t>(count), std::string());
    ParallelFor(count, 1024, [&](std::int64_t begin, std::int64_t end) {
      for (std::int64_t i = begin; i < end; ++i) {
        lines[static_cast<size_t>(i)] =
            DataLine(series, cumulative, static_cast<size_t>(block + i));
      }
    });
    std::string text;
    text.reserve(static_cast<size_t>(count) * lines.front().size() * 2);
    for (const std::string& line : lines) {
      if (context.Aborted()) break;
      text += line;
      ++written;
    }
    if (!file.Write(text)) break;
  }
  return written;
}

}  // namespace corvane
