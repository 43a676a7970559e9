// What the job asks the data server for, one calendar day at a time: the
// request URL of a day segment and the status and log texts that go with it.
// Pure functions of their arguments.
//
// Real egg data: DataURL followed by "&year=", "&month=", "&day=" of the
// segment's start date in plain decimal, then
// "&stime=%s&etime=%s&gzip=Yes&idate=Yes" with the segment's start and end
// clock times written "hh%3Amm%3Ass" (the colon percent-encoded). DataURL
// already ends in a query, so nothing but "&" is ever added to it.
//
// Pseudo-egg data: PseudoDataURL followed by
// "%d/basketdata-%02d-%02d-%02d.csv.gz" (year, year, month, day): always the
// whole day's file.
#pragma once

#include <string>

#include "core/analysis_settings.h"
#include "core/day_segments.h"

namespace corvane {

struct SegmentRequest {
  std::string url;
  std::string statusText;  // "Getting data from internet" or "... pseudo egg data ..."
  std::string logText;     // "Get internet data using" or "Get pseudo-egg data ..."
};

// "22%3A00%3A00" for 22:00:00.
std::string ClockQueryText(const CalendarFields& fields);

std::string RealDataRequestUrl(const std::string& dataUrl, const DaySegment& segment);
std::string PseudoDataRequestUrl(const std::string& pseudoDataUrl, const DaySegment& segment);

// The request of a segment as the run's settings choose it (pseudo-egg data
// or real data).
SegmentRequest BuildSegmentRequest(const AnalysisSettings& settings, const DaySegment& segment);

// A run is a pseudo-egg run when its data name holds "PED" (capitals,
// anywhere).
bool IsPseudoEggDataName(const std::string& dataName);

// "2011-05-03": the date of a segment, for messages.
std::string SegmentDateText(const DaySegment& segment);

}  // namespace corvane
