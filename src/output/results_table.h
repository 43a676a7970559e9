// The results table "results.csv" in the output root: one record per
// analysis run (every batch item, whatever happened to it, and every
// interactive run), for loading into other tools.
//
// A record is made from two parts: what was asked (ResultRequest, taken by
// the form when it takes up the item) and how the run ended (its RunReport).
// Records are appended in item order; a runner that finishes items out of
// order keeps each finished record until every earlier item's is written.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/run_report.h"

namespace corvane {

// The table's name in the output root.
inline constexpr const char* kResultsTableName = "results.csv";

// The request of one run, as the table records it.
struct ResultRequest {
  std::string batchStart;  // "yyyy-mm-dd hh:mm:ss" UTC: the batch's start (interactive: the run's)
  std::string batchFile;   // empty for an interactive run
  int item = 0;            // 1 for a batch's first item; 0 for an interactive run
  std::string dataName;
  std::string start, stop, eventTime;  // as the form holds them
  double eventDurationHours = 0.0;
  int resolution = 1;
  int smoothingMode = 0;  // 0 exponential, 1 rectangle, 2 triangle
  int smoothingWindow = 0;
  double smoothingCoefficient = 0.0;
  std::string subgroupFile;
  bool remote = false;
  std::string input;  // the local egg file, or the data URL base of a remote run
  bool compareIntervals = false;
  int interval1Start = 0;
  int interval2Start = 0;
  int intervalDuration = 0;
};

// The header record (the column names), without its line end.
const std::string& ResultsHeader();

// The record of one run, without its line end: the request's fields, the
// outcome ("completed", "failed", "refused" or "stopped") and message, the
// run values of a completed run, and the interval comparison's refusal or
// its six t-tests. Values a run does not have are empty fields.
std::string ResultRecord(const ResultRequest& request, const RunReport& report);

// Appends records to "<root>results.csv" (root ends with a separator),
// writing the header first when the table is new. The message naming the
// file when it could not be written (see AppendCsvRecords).
std::optional<std::string> AppendResultRecords(const std::string& root,
                                               const std::vector<std::string>& records);

}  // namespace corvane
