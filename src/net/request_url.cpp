#include "net/request_url.h"

#include "core/c_format.h"

namespace corvane {

std::string ClockQueryText(const CalendarFields& fields) {
  return CFormat("%02d%s%02d%s%02d", fields.hour, "%3A", fields.minute, "%3A", fields.second);
}

std::string RealDataRequestUrl(const std::string& dataUrl, const DaySegment& segment) {
  const CalendarFields& start = segment.start;
  return dataUrl + CFormat("&year=%d&month=%d&day=%d", start.year, start.month, start.day) +
         CFormat("&stime=%s&etime=%s&gzip=Yes&idate=Yes", ClockQueryText(segment.start).c_str(),
                 ClockQueryText(segment.end).c_str());
}

std::string PseudoDataRequestUrl(const std::string& pseudoDataUrl, const DaySegment& segment) {
  const CalendarFields& start = segment.start;
  return pseudoDataUrl + CFormat("%d/basketdata-%02d-%02d-%02d.csv.gz", start.year, start.year,
                                 start.month, start.day);
}

SegmentRequest BuildSegmentRequest(const AnalysisSettings& settings, const DaySegment& segment) {
  if (settings.pseudoEggData) {
    return SegmentRequest{PseudoDataRequestUrl(settings.pseudoDataUrl, segment),
                          "Getting pseudo egg data from internet",
                          "Get pseudo-egg data from internet using"};
  }
  return SegmentRequest{RealDataRequestUrl(settings.dataUrl, segment), "Getting data from internet",
                        "Get internet data using"};
}

bool IsPseudoEggDataName(const std::string& dataName) {
  return dataName.find("PED") != std::string::npos;
}

std::string SegmentDateText(const DaySegment& segment) {
  return CFormat("%04d-%02d-%02d", segment.start.year, segment.start.month, segment.start.day);
}

}  // namespace corvane
