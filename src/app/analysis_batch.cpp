// AnalysisDialog: reading a batch file and running its items, one after
// another or side by side, and one shard of them.
#include "app/analysis_dialog.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <set>

#include "app/analysis_dialog_internal.h"
#include "app/batch_file.h"
#include "app/closing_words.h"
#include "app/file_choosers.h"
#include "core/c_format.h"
#include "core/output_file.h"
#include "core/paths.h"
#include "core/shard_journal.h"
#include "core/summary_line.h"
#include "input/parsed_file_cache.h"

namespace corvane {

namespace {

// How many items may be taken up per item at once while an earlier item
// still runs (their output waits in memory).
constexpr int kItemsAheadPerJob = 8;

// Removes the files a run left in a temporary folder of its own, then the
// folder (only its own files: it holds no folders).
void RemoveLane(const std::string& lane) {
  if (DIR* folder = opendir(lane.c_str())) {
    while (const dirent* entry = readdir(folder)) {
      struct stat info {};
      if (fstatat(dirfd(folder), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
          !S_ISDIR(info.st_mode)) {
        unlinkat(dirfd(folder), entry->d_name, 0);
      }
    }
    closedir(folder);
  }
  rmdir(lane.c_str());
}

}  // namespace

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

void AnalysisDialog::SetBatchJobs(int jobs) {
  batchJobs_ = jobs < 1 ? 1 : (jobs > kMaxBatchJobs ? kMaxBatchJobs : jobs);
}

void AnalysisDialog::SetBatchShard(ShardSpec shard) {
  shard_ = shard.count > 0 && shard.index >= 1 && shard.index <= shard.count ? shard : ShardSpec{};
}

std::string AnalysisDialog::LogName() const {
  return shard_.Active() ? ShardTableName("egg.log", shard_) : "egg.log";
}

void AnalysisDialog::RunBatchFile() {
  if (RefuseWhileBusy()) return;
  if (!view_.PullFields()) return;
  if (batchCount_ <= 0) {
    view_.ShowMessage("There are no batch items to process", std::nullopt, MessageKind::kWarning);
    return;
  }
  if (shard_.Active() && shard_.index > batchCount_) {
    view_.ShowMessage(CFormat("Shard %d of %d has no items: the batch has %d", shard_.index,
                              shard_.count, batchCount_),
                      std::nullopt, MessageKind::kWarning);
    return;
  }
  if (shard_.Active()) {
    // Every root of the batch gets the shard's journal, also one the
    // shard's own items never write to, so that the shards can be joined.
    std::set<std::string> roots;
    for (const BatchItem& item : batchItems_) {
      if (!item.outputRoot.empty()) roots.insert(WithSeparator(item.outputRoot));
    }
    for (const std::string& root : roots) {
      if (auto failure = StartShardJournal(root, shard_)) {
        view_.ShowMessage("The shard's journal cannot be written: " + *failure, std::nullopt,
                          MessageKind::kCritical);
        return;
      }
    }
  }
  if (startNewLog_) StartLogIn(config.tempDirectory, LogName());
  stopRequested_ = false;
  batchMode_ = true;
  nextBatchIndex_ = 0;
  itemsTakenUp_ = 0;
  journalFailed_ = false;
  batchReports_.clear();
  batchInputCache_ =
      sharedInputCache_ != nullptr ? sharedInputCache_ : std::make_shared<ParsedFileCache>();
  results_.BeginBatch(fields.batchFile, CurrentTimeText(), !shard_.Active());
  MakeLanes();
  ContinueBatch();
}

// Items side by side, and shards that may run beside other shards of the
// batch on one machine, work in temporary folders of their own: a run's
// temporary files have fixed names.
void AnalysisDialog::MakeLanes() {
  lanes_.clear();
  if ((batchJobs_ <= 1 && !shard_.Active()) || config.tempDirectory.empty()) return;
  const int wanted = std::min(batchJobs_, batchCount_);
  for (int i = 0; i < wanted; ++i) {
    std::string name = WithSeparator(config.tempDirectory) + "corvane-item-XXXXXX";
    if (mkdtemp(name.data()) == nullptr) {
      if (lanes_.empty()) {
        view_.ShowMessage(
            "Running one item at a time in the temporary directory: no working "
            "folder can be made in " +
                config.tempDirectory + ": " + ErrorText(errno),
            std::nullopt, MessageKind::kWarning);
      }
      break;
    }
    lanes_.push_back(WithSeparator(name));
  }
}

void AnalysisDialog::RemoveLanes() {
  for (const std::string& lane : lanes_) RemoveLane(lane);
  lanes_.clear();
}

std::string AnalysisDialog::FreeLane() const {
  for (const std::string& lane : lanes_) {
    bool used = false;
    for (const auto& slot : slots_) used = used || (slot->job && slot->lane == lane);
    if (!used) return lane;
  }
  return std::string();
}

int AnalysisDialog::RunningBatchJobs() const {
  int running = 0;
  for (const auto& slot : slots_) running += slot->job ? 1 : 0;
  return running;
}

void AnalysisDialog::ItemSummaryLine(BatchSlot& slot, const std::string& root,
                                     const std::string& dataName, const std::string& text) {
  if (root.empty()) {
    view_.ShowMessage(dataName + ": " + text, std::nullopt, MessageKind::kWarning);
    return;
  }
  if (auto unwritten = AddItemSummaryLine(*slot.output, WithSeparator(root), dataName, text)) {
    view_.ShowMessage(*unwritten, std::string(kSummaryNotWritten), MessageKind::kCritical);
  }
}

// Retires the ended items at the head of the order and takes up items until
// as many run as may, or the batch is over. An item waits while an earlier
// item of its result folder runs.
void AnalysisDialog::ContinueBatch() {
  if (continuing_) {
    continueAgain_ = true;
    return;
  }
  continuing_ = true;
  do {
    continueAgain_ = false;
    while (batchMode_) {
      RetireEndedItems();
      if (nextBatchIndex_ >= batchCount_ || stopRequested_) {
        if (slots_.empty()) FinishBatch();
        break;
      }
      const int lanes = lanes_.empty() ? 1 : static_cast<int>(lanes_.size());
      if (RunningBatchJobs() >= lanes) break;
      // Ended items wait, with what they wrote, for the earlier ones that
      // still run; so many and no more.
      if (static_cast<int>(slots_.size()) >= lanes * kItemsAheadPerJob) break;
      if (shard_.Active() && nextBatchIndex_ % shard_.count != shard_.index - 1) {
        ++nextBatchIndex_;
        continue;
      }
      const BatchItem& next = batchItems_.at(static_cast<size_t>(nextBatchIndex_));
      const std::string folder = WithSeparator(next.outputRoot) + next.dataName;
      bool folderBusy = false;
      for (const auto& slot : slots_)
        folderBusy = folderBusy || (slot->job && slot->folder == folder);
      if (folderBusy) break;
      TakeUpItem();
    }
  } while (continueAgain_ && batchMode_);
  continuing_ = false;
}

void AnalysisDialog::TakeUpItem() {
  LoadItem(nextBatchIndex_);
  ++nextBatchIndex_;
  ++itemsTakenUp_;
  auto owned = std::make_unique<BatchSlot>();
  BatchSlot& slot = *owned;
  slot.item = nextBatchIndex_;
  slot.output = std::make_shared<ItemOutput>(slot.item, shard_, slots_.empty());
  slot.outputRoot = fields.outputRoot;
  slot.folder = WithSeparator(fields.outputRoot) + fields.dataName;
  slot.lane = FreeLane();
  slots_.push_back(std::move(owned));
  currentSlot_ = &slot;
  jobTempDirectory_ = slot.lane;
  lastRefusal_.clear();
  bool started = false;
  {
    // What the form logs for the item (its subgroup file) is the item's.
    ScopedLogSink sink(slot.output.get());
    started = AnalyzeData();
  }
  currentSlot_ = nullptr;
  jobTempDirectory_.clear();
  if (started) {
    slot.job = std::move(job_);
    slot.request = slot.job->request;
    slot.ran = true;
    if (slot.job->ended) EndSlot(slot);
    view_.BusyChanged();
    return;
  }
  slot.ended = true;
  slot.report.outcome = RunOutcome::kRefused;
  slot.report.message = lastRefusal_;
  slot.report.dataName = fields.dataName;
  slot.request = ResultRequestOf(fields, config, resolution_);
}

void AnalysisDialog::EndSlot(BatchSlot& slot) {
  slot.report = slot.job->report;
  slot.ended = true;
  // Joining the ended job's thread is the pause after a run.
  slot.job.reset();
}

void AnalysisDialog::RetireEndedItems() {
  while (!slots_.empty() && slots_.front()->ended) {
    std::unique_ptr<BatchSlot> slot = std::move(slots_.front());
    slots_.pop_front();
    const bool ran = slot->ran;
    const RunReport& report = slot->report;
    // The results table says why an item ended without results, also when
    // the run itself said nothing.
    RunReport recorded = report;
    if (recorded.message.empty()) recorded.message = ItemSummaryText(report).value_or("");
    results_.RecordItem(slot->outputRoot, slot->item, slot->request, recorded, *slot->output);
    // A stopped item (also when the form is closing) leaves its line; a
    // refusal has written its own.
    if (ran) {
      if (const std::optional<std::string> text = ItemSummaryText(report)) {
        ItemSummaryLine(*slot, slot->outputRoot, report.dataName, *text);
      }
    }
    batchReports_.push_back(report);
    journalFailed_ = journalFailed_ || slot->output->JournalFailed();
    if (!slots_.empty()) {
      for (const std::string& failure : slots_.front()->output->GoLive()) {
        view_.ShowMessage(failure, std::string(kSummaryNotWritten), MessageKind::kCritical);
      }
    }
  }
  if (RunningBatchJobs() == 0) {
    fields.status.clear();
    view_.PushStatus();
    progress_ = 0;
    view_.SetProgress(0);
    progressTimer_.stop();
    if (runInProgress_) {
      runInProgress_ = false;
      view_.SetWaitCursor(false);
    }
    view_.BusyChanged();
  }
}

void AnalysisDialog::FinishBatch() {
  batchMode_ = false;
  batchInputCache_.reset();
  resolution_ = 1;
  RemoveLanes();
  const int started = itemsTakenUp_;
  const bool stopped = stopRequested_;
  const BatchTally tally = CountOutcomes(batchReports_);
  int itemCount = batchCount_;
  if (shard_.Active()) {
    itemCount = (batchCount_ - shard_.index) / shard_.count + 1;
    if (journalFailed_) {
      view_.ShowMessage(
          "The shard's journal misses units that could not be written: run the "
          "shard again before joining the shards",
          std::nullopt, MessageKind::kCritical);
    } else if (!stopped) {
      std::set<std::string> roots;
      for (const BatchItem& item : batchItems_) {
        if (!item.outputRoot.empty()) roots.insert(WithSeparator(item.outputRoot));
      }
      for (const std::string& root : roots) {
        if (auto failure = EndShardJournal(root, shard_, started)) {
          view_.ShowMessage("The shard's journal is not complete: " + *failure, std::nullopt,
                            MessageKind::kCritical);
        }
      }
    }
  }
  // Items that did not complete have their lines in the summary table; the
  // closing box warns of them.
  std::string closing = BatchClosingText(started, itemCount, tally);
  if (const std::string series = results_.FinishBatch(); !series.empty()) {
    closing += "\n\n" + series;
  }
  view_.ShowMessage(
      closing, "",
      tally.failed + tally.refused > 0 ? MessageKind::kWarning : MessageKind::kInformation);
  view_.BatchFinished(started, stopped);
}

}  // namespace corvane
