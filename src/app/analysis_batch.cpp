// AnalysisDialog: reading a batch file and running its items one after
// another.
#include "app/analysis_dialog.h"

#include "app/analysis_dialog_internal.h"
#include "app/batch_file.h"
#include "app/closing_words.h"
#include "app/file_choosers.h"
#include "core/c_format.h"
#include "input/parsed_file_cache.h"

namespace corvane {

void AnalysisDialog::OpenBatchFile() {
  if (RefuseWhileBusy()) return;
  if (!view_.PullFields()) return;
  const std::string path =
      view_.ChooseFile(kOpenBatchFileTitle, kBatchFileFilter, fields.batchFile);
  if (path.empty()) return;
  OpenBatchFileAt(path);
}

int AnalysisDialog::OpenBatchFileAt(const std::string& path) {
  if (RefuseWhileBusy()) return -1;
  if (!view_.PullFields()) return -1;
  fields.batchFile = path;
  BatchFile file = ReadBatchFile(path, CaptureBatchItem(fields, config, resolution_));
  for (const std::string& message : file.messages) {
    view_.ShowMessage(message, std::nullopt, MessageKind::kWarning);
  }
  batchFileWhole_ = file.messages.empty();
  if (file.opened) {
    LoadBatchItem(file.form, fields, config, resolution_);
    batchItems_ = std::move(file.items);
    batchCount_ = file.count;
    nextBatchIndex_ = 0;
    fields.status = CFormat(batchCount_ == 1 ? "%d item loaded" : "%d items loaded", batchCount_);
  }
  view_.PushFields();
  if (file.opened && batchCount_ >= 1) LoadItem(0);
  return file.opened ? batchCount_ : -1;
}

void AnalysisDialog::LoadItem(int index) {
  LoadBatchItem(batchItems_.at(static_cast<size_t>(index)), fields, config, resolution_);
  // The item's stop is its own, not one the form completed.
  completedStop_ = CompletedStop{};
  view_.PushFields();
}

void AnalysisDialog::RunBatchFile() {
  if (RefuseWhileBusy()) return;
  if (!view_.PullFields()) return;
  if (batchCount_ <= 0) {
    view_.ShowMessage("There are no batch items to process", std::nullopt, MessageKind::kWarning);
    return;
  }
  if (startNewLog_) StartLogIn(config.tempDirectory);
  stopRequested_ = false;
  batchMode_ = true;
  nextBatchIndex_ = 0;
  batchReports_.clear();
  batchInputCache_ =
      sharedInputCache_ != nullptr ? sharedInputCache_ : std::make_shared<ParsedFileCache>();
  results_.BeginBatch(fields.batchFile, CurrentTimeText());
  ContinueBatch();
}

// Takes up items until one starts a run (its end comes back here) or the
// batch is over. A refused item has its line in the summary table.
void AnalysisDialog::ContinueBatch() {
  while (batchMode_) {
    if (nextBatchIndex_ >= batchCount_ || stopRequested_) {
      FinishBatch();
      return;
    }
    LoadItem(nextBatchIndex_);
    ++nextBatchIndex_;
    lastRefusal_.clear();
    if (AnalyzeData()) return;
    RunReport refused;
    refused.outcome = RunOutcome::kRefused;
    refused.message = lastRefusal_;
    refused.dataName = fields.dataName;
    batchReports_.push_back(refused);
    results_.RecordItem(fields.outputRoot, nextBatchIndex_,
                        ResultRequestOf(fields, config, resolution_), refused);
  }
}

void AnalysisDialog::FinishBatch() {
  batchMode_ = false;
  batchInputCache_.reset();
  resolution_ = 1;
  const int started = nextBatchIndex_;
  const bool stopped = stopRequested_;
  const BatchTally tally = CountOutcomes(batchReports_);
  // Items that did not complete have their lines in the summary table; the
  // closing box warns of them.
  std::string closing = BatchClosingText(started, batchCount_, tally);
  if (const std::string series = results_.FinishBatch(); !series.empty()) {
    closing += "\n\n" + series;
  }
  view_.ShowMessage(closing, "",
                    tally.failed + tally.refused > 0 ? MessageKind::kWarning
                                                     : MessageKind::kInformation);
  view_.BatchFinished(started, stopped);
}

}  // namespace corvane
