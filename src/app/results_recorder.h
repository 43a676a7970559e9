// The form's record of its analysis runs for other tools: each run's record
// in the results table of its output root, and at the end of a batch the
// event series of each root's completed items (output/results_table.h,
// output/event_series.h).
//
// The form records every batch item it takes up, in item order (refused
// items included), and every interactive run it starts; rows go out as soon
// as an item ends, so a batch cut short keeps the rows of its ended items. A
// table that cannot be written does not stop anything: its message is kept
// (once per file) and told with the batch's closing words, or at once after
// an interactive run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/form_fields.h"
#include "core/item_output.h"
#include "core/run_report.h"
#include "output/event_series.h"
#include "output/results_table.h"

namespace corvane {

// The request part of a record, from the form's fields as they are when the
// run starts (or the item is refused).
ResultRequest ResultRequestOf(const AnalysisFields& fields, const FormConfig& config,
                              int resolution);

// "yyyy-mm-dd hh:mm:ss" of the current time (UTC).
std::string CurrentTimeText();

class ResultsRecorder {
 public:
  // A batch starts: its records carry this start time and batch file, and
  // the series of the previous batch is forgotten. A shard of a batch
  // (withSeries false) adds no series: it sees only some of the items.
  void BeginBatch(const std::string& batchFile, const std::string& startText,
                  bool withSeries = true);

  // Records a batch item (item: 1 for the first) under the output root
  // (empty: nothing can be written, and the form has said so already),
  // through the item's output (item_output.h).
  void RecordItem(const std::string& outputRoot, int item, ResultRequest request,
                  const RunReport& report, ItemOutput& output);

  // Records an interactive run; the message naming the table when it could
  // not be written.
  std::optional<std::string> RecordRun(const std::string& outputRoot, ResultRequest request,
                                       const RunReport& report);

  // Ends the batch: appends one record to each root's series table and
  // returns the closing words' block: each root's series, then the messages
  // of tables that could not be written. Empty when no item was recorded.
  std::string FinishBatch();

 private:
  struct RootSeries {
    std::string root;
    int itemsTakenUp = 0;
    std::vector<SeriesItem> items;
  };
  RootSeries& SeriesOf(const std::string& root);
  void NoteFailure(const std::string& message);

  std::string batchFile_;
  std::string batchStart_;
  bool withSeries_ = true;
  std::vector<RootSeries> roots_;  // in the order of their first item
  std::vector<std::string> failures_;
};

}  // namespace corvane
