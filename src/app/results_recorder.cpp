#include "app/results_recorder.h"

#include <algorithm>
#include <ctime>

#include "core/date_time.h"
#include "core/paths.h"
#include "net/request_url.h"
#include "output/csv_table.h"

namespace corvane {

ResultRequest ResultRequestOf(const AnalysisFields& fields, const FormConfig& config,
                              int resolution) {
  ResultRequest request;
  request.dataName = fields.dataName;
  request.start = fields.startTime;
  request.stop = fields.stopTime;
  request.eventTime = fields.eventTime;
  request.eventDurationHours = fields.eventDuration;
  request.resolution = resolution;
  request.smoothingMode = fields.smoothWindowType;
  request.smoothingWindow = fields.smoothWindowSize;
  request.smoothingCoefficient = fields.expCoeff;
  request.subgroupFile = fields.eggGroupFile;
  request.remote = fields.remoteAccess;
  if (fields.remoteAccess) {
    const bool pseudo = IsPseudoEggDataName(fields.dataName);
    request.input = pseudo ? config.pseudoDataUrl : config.dataUrl;
  } else {
    request.input = fields.localEggFile;
  }
  request.compareIntervals = fields.compareIntervals;
  request.interval1Start = fields.interval1Start;
  request.interval2Start = fields.interval2Start;
  request.intervalDuration = fields.intervalDuration;
  return request;
}

std::string CurrentTimeText() {
  const DateTime now(static_cast<std::int64_t>(std::time(nullptr)));
  return now.DateText() + " " + now.TimeText();
}

void ResultsRecorder::BeginBatch(const std::string& batchFile, const std::string& startText,
                                 bool withSeries) {
  batchFile_ = batchFile;
  batchStart_ = startText;
  withSeries_ = withSeries;
  roots_.clear();
  failures_.clear();
}

ResultsRecorder::RootSeries& ResultsRecorder::SeriesOf(const std::string& root) {
  auto found = std::find_if(roots_.begin(), roots_.end(),
                            [&](const RootSeries& series) { return series.root == root; });
  if (found != roots_.end()) return *found;
  roots_.push_back(RootSeries{root, 0, {}});
  return roots_.back();
}

void ResultsRecorder::NoteFailure(const std::string& message) {
  if (std::find(failures_.begin(), failures_.end(), message) == failures_.end()) {
    failures_.push_back(message);
  }
}

void ResultsRecorder::RecordItem(const std::string& outputRoot, int item, ResultRequest request,
                                 const RunReport& report, ItemOutput& output) {
  if (outputRoot.empty()) return;
  const std::string root = WithSeparator(outputRoot);
  request.batchStart = batchStart_;
  request.batchFile = batchFile_;
  request.item = item;
  if (auto failure = output.AddRecord(root + kResultsTableName, ResultsHeader(),
                                      ResultRecord(request, report), &AppendCsvRecords)) {
    NoteFailure(*failure);
  }
  RootSeries& series = SeriesOf(root);
  ++series.itemsTakenUp;
  const std::optional<RunStatistics>& values = report.statistics;
  if (report.outcome == RunOutcome::kCompleted && values && values->stoufferDegrees > 0) {
    series.items.push_back(SeriesItem{values->stoufferUpperP, values->stoufferZ,
                                      values->stoufferSum, values->stoufferDegrees});
  }
}

std::optional<std::string> ResultsRecorder::RecordRun(const std::string& outputRoot,
                                                      ResultRequest request,
                                                      const RunReport& report) {
  if (outputRoot.empty()) return std::nullopt;
  request.batchStart = CurrentTimeText();
  request.batchFile.clear();
  request.item = 0;
  return AppendResultRecords(WithSeparator(outputRoot), {ResultRecord(request, report)});
}

std::string ResultsRecorder::FinishBatch() {
  std::vector<std::string> parts;
  for (const RootSeries& root : roots_) {
    if (!withSeries_) break;
    std::string block;
    try {
      const EventSeries series = CombineEvents(root.items);
      const SeriesRequest request{batchStart_, batchFile_, root.itemsTakenUp};
      if (auto failure = AppendSeriesRecord(root.root, SeriesRecord(request, series))) {
        NoteFailure(*failure);
      }
      block = SeriesClosingBlock(series);
    } catch (const std::exception& error) {
      block = std::string("Event series: ") + error.what();
    }
    if (roots_.size() > 1) block = root.root + ":\n" + block;
    parts.push_back(block);
  }
  for (const std::string& failure : failures_) parts.push_back(failure);
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : "\n") + part;
  roots_.clear();
  failures_.clear();
  return text;
}

}  // namespace corvane
