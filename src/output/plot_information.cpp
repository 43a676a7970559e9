#include "output/plot_information.h"

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/c_format.h"
#include "input/line_reader.h"
#include "output/smoothing_line.h"

namespace corvane {
namespace {

// Splits "keyword rest" into the rest (with its leading blank) when the
// line starts with the keyword followed by a blank.
bool RestAfter(std::string_view line, std::string_view keyword, std::string& rest) {
  if (line.size() <= keyword.size() || line.substr(0, keyword.size()) != keyword) return false;
  if (line[keyword.size()] != ' ' && line[keyword.size()] != '\t') return false;
  rest.assign(line.substr(keyword.size()));
  return true;
}

// False at the end of the file, after a read error and at a line over the
// reader's limit: each leaves the file malformed.
bool ReadLine(LineReader& in, std::string& line) {
  std::string_view text;
  if (!in.NextLine(text)) return false;
  line.assign(text);
  return true;
}

}  // namespace

std::string PlotInformationText(std::int64_t records, const std::string& title, int useableEggs,
                                double stoufferUpper, double covarUpper,
                                const AnalysisSettings& settings) {
  std::string text = CFormat("nRecords %lld\n", static_cast<long long>(records));
  text += "title " + title + "\n";
  text += CFormat("stouffer_legend Composite: %d eggs: p = %.4f\n", useableEggs, stoufferUpper);
  text += CFormat("covar_legend Composite: %d eggs: p = %.4f\n", useableEggs, covarUpper);
  if (!settings.eventTimeText.empty()) {
    text += "Event time= " + settings.eventTimeText +
            CFormat(", duration= %d\n", settings.eventDuration);
  }
  return text + SmoothingWindowLine(settings);
}

InformationStatus ReadPlotInformation(const std::string& path, PlotInformation& information) {
  LineReader in;
  if (!in.Open(path)) {
    return in.NotRegular().empty() ? InformationStatus::kMissing : InformationStatus::kNotRegular;
  }
  std::string line, count;
  if (!ReadLine(in, line) || !RestAfter(line, "nRecords", count)) {
    return InformationStatus::kMalformed;
  }
  const std::optional<long long> records = ParseInteger(count);
  if (!records || *records < 0 || *records > INT32_MAX) return InformationStatus::kMalformed;
  information.records = *records;
  if (!ReadLine(in, line) || !RestAfter(line, "title", information.title) || !ReadLine(in, line) ||
      !RestAfter(line, "stouffer_legend", information.stoufferLegend) || !ReadLine(in, line) ||
      !RestAfter(line, "covar_legend", information.covarLegend)) {
    return InformationStatus::kMalformed;
  }
  return InformationStatus::kOk;
}

}  // namespace corvane
