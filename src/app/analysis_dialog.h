// AnalysisDialog: the request form as plain fields and operations, without
// a window.
//
// The form collects an analysis request, checks it, makes one analysis job
// (CEggStatistics) per run, hands it the request and starts it; it follows
// the job's status, received bytes and stage, and reacts to its end. It also
// re-displays earlier runs, reads and runs batch files, and stores settings
// at their moments. A view (the window, the headless runner or a test) binds
// its controls to `fields`, shows the messages and runs the operations.
//
// Threads: every operation runs on the form's thread, which must run a Qt
// event loop (the job's reports arrive as queued calls). The form owns every
// job it makes and releases it (joins and destroys it) once the job has
// reported its end; at most one job exists at a time, and while it runs,
// "Analyze data", "Display", "Run batch file" and "Open Batch File" only say
// that a run is in progress. Exit (or Shutdown) stops a running job and waits
// for its end, still showing the job's messages meanwhile; the job no longer
// waits for them to be acknowledged.
//
// Closing words: after an interactive run, "Finished processing" with the
// result folder only when the run wrote its results, "name: Stopped by user"
// after Stop, and nothing more after a failure (its own message stands
// alone).
//
// Batch mode: a refusal of an item goes to the output root's "summary.tst"
// as "name: message" and the batch goes on with the next item; so does the
// line "name: Stopped by user" of a stopped item. Every item taken up leaves
// its report (BatchReports, in item order). The batch ends after its last
// item or after "Stop" with the number of items taken up and how many
// completed, failed, were refused or stopped, followed by the event series
// of the completed items, and the resolution goes back to 1.
//
// Items side by side: the headless runner may let up to BatchJobs items run
// at once, each on its own job with a temporary folder of its own below the
// temporary directory. They are taken up in item order, an item waits while
// an earlier one of the same result folder runs (a later item's results
// replace an earlier one's, as one after another), and whatever items share
// (the progress log, the summary and spectrum tables, results.csv, the
// closing counts) is written in item order, exactly as one after another
// (core/item_output.h). The window runs one item at a time.
//
// Shards: the headless runner may run one shard K of N of a batch, the items
// K, K+N, K+2N... (K counts from 1); its tables and progress log carry the
// shard's name ("summary-K-of-N.tst", "egg-K-of-N.log"), and each output
// root gets the shard's journal, from which the shards' tables are joined
// (shard_merge.h).
//
// Results table: every batch item taken up and every interactive analysis
// run gets its record in the output root's "results.csv"; each batch adds
// its event series to "series.csv" (results_recorder.h).
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QObject>
#include <QTimer>

#include "app/batch_item.h"
#include "app/form_fields.h"
#include "app/form_view.h"
#include "app/job_channel.h"
#include "app/results_recorder.h"
#include "app/settings_store.h"
#include "app/time_completion.h"
#include "core/item_output.h"
#include "core/run_report.h"
#include "output/plot_windows.h"

namespace corvane {

class CEggStatistics;
class ParsedFileCache;

class AnalysisDialog : private JobEvents {
 public:
  // Loads the stored settings into the fields. Nothing is pushed yet: the
  // view pushes the fields (and the enabling) once the form exists.
  AnalysisDialog(SettingsStore& store, FormView& view);
  ~AnalysisDialog() override;
  AnalysisDialog(const AnalysisDialog&) = delete;
  AnalysisDialog& operator=(const AnalysisDialog&) = delete;

  AnalysisFields fields;
  FormConfig config;

  // Buttons.
  // Checks the request and starts a run; true when a job was started.
  bool AnalyzeData();
  void Stop();
  // Starts a re-display of the run named by the data name; true when started.
  bool Display();
  void RunBatchFile();

  // Menu "File".
  void OpenBatchFile();  // through the view's chooser
  // Reads the batch file at path (as after choosing it); returns the number
  // of items loaded, or -1 when none could be read.
  int OpenBatchFileAt(const std::string& path);
  void OpenLocalEggFile();  // through the view's chooser
  void OpenLocalEggFileAt(const std::string& path);
  // Pulls the fields (a refused field keeps the form open: false), releases
  // the batch items, and stops and waits for a running job. True when the
  // form may close.
  bool Exit();
  // Stops a running job and waits for its end, without pulling the fields.
  void Shutdown();

  // The first of the dropped files names a run's output file: restores that
  // run's output root and data name, and names its data file as the local
  // egg file.
  void DropFiles(const std::vector<std::string>& paths);

  // Runs up to `jobs` batch items at once (1 to kMaxBatchJobs); for the
  // next "Run batch file".
  void SetBatchJobs(int jobs);
  int BatchJobs() const { return batchJobs_; }
  // Runs only the items of one shard (count 0: all items).
  void SetBatchShard(ShardSpec shard);
  // The data name of the job whose status the fields show.
  const std::string& StatusDataName() const { return statusDataName_; }

  ControlEnabling Enabling() const { return EnablingOf(fields); }

  // State that is not a field.
  int resolution() const { return resolution_; }
  bool RunInProgress() const { return runInProgress_; }
  bool Busy() const { return job_ != nullptr || RunningBatchJobs() > 0; }
  bool BatchMode() const { return batchMode_; }
  int BatchItemCount() const { return batchCount_; }
  int NextBatchIndex() const { return nextBatchIndex_; }
  const std::vector<BatchItem>& BatchItems() const { return batchItems_; }
  // The reports of the items taken up by the last batch run, in item order:
  // the job's report of each item that ran, a refused report (with the
  // refusal's text) for each item the form refused.
  const std::vector<RunReport>& BatchReports() const { return batchReports_; }
  // False when reading the last batch file stopped at a line it refused (or
  // at the item limit), so that some of its lines were never loaded.
  bool BatchFileReadWhole() const { return batchFileWhole_; }
  // The items of a batch read their local files through one cache of parsed
  // files, made when the batch starts and dropped when it ends. A caller
  // that runs several forms side by side may hand them one cache to share
  // (nullptr: each batch makes its own).
  void ShareBatchInputCache(std::shared_ptr<ParsedFileCache> cache) {
    sharedInputCache_ = std::move(cache);
  }
  bool StartNewLog() const { return startNewLog_; }
  int ProgressPercent() const { return progress_; }
  // The job made for the last request, until the form has released it
  // (nullptr when there is none). Valid until control returns to the event
  // loop.
  const CEggStatistics* CurrentJob() const;

  SettingsStore& store() { return store_; }
  FormView& view() { return view_; }

  // The message refusing an operation while a run is in progress.
  static const char* const kRunInProgress;

 private:
  struct OwnedJob;
  struct BatchSlot;

  // JobEvents, on the form's thread.
  void OnJobStatus(int jobId, const std::string& text) override;
  void OnJobBytes(int jobId, std::int64_t count) override;
  void OnJobMessage(int jobId, const std::string& text, const std::optional<std::string>& caption,
                    MessageKind kind) override;
  void OnJobEnded(int jobId, const RunReport& report) override;

  // Keeps a job's end from being handled while the form is inside a call to
  // that job (a message box shown meanwhile runs a nested event loop).
  class JobCallGuard;

  bool RefuseWhileBusy();
  // A refusal of the request: a message box, or in batch mode a line of the
  // summary table.
  void Refuse(const std::string& text, const std::optional<std::string>& caption,
              MessageKind kind = MessageKind::kWarning);
  std::optional<std::string> CheckRequest() const;
  std::unique_ptr<OwnedJob> MakeJob();
  bool StartAnalysisJob();
  void ReleaseJob();
  void HandleJobEnd();
  void WaitForJobEnd();
  void OnProgressTimer();

  void LoadItem(int index);
  void ContinueBatch();
  void TakeUpItem();
  void RetireEndedItems();
  // Takes the report of an item's ended job and releases the job (joins its
  // thread), so that ended items waiting for an earlier one hold no thread.
  void EndSlot(BatchSlot& slot);
  void FinishBatch();
  int RunningBatchJobs() const;
  // The job of the event's id: the form's own, or a batch item's.
  OwnedJob* FindJob(int jobId) const;
  BatchSlot* FindSlot(int jobId) const;
  // The temporary folders of items side by side, made for one batch.
  void MakeLanes();
  void RemoveLanes();
  std::string FreeLane() const;
  // Writes a batch item's line "name: text" into the summary table through
  // the item's output; shown instead when it cannot be.
  void ItemSummaryLine(BatchSlot& slot, const std::string& root, const std::string& dataName,
                       const std::string& text);
  std::string LogName() const;

  SettingsStore& store_;
  FormView& view_;
  // Before the job, which uses it, so that it outlives the job.
  PlotWindows plotWindows_;

  int resolution_ = 1;
  bool startNewLog_ = true;
  bool stopRequested_ = false;
  bool runInProgress_ = false;
  bool exiting_ = false;
  int progress_ = 0;
  // The stop text that "Analyze data" completed last, outside batch mode.
  CompletedStop completedStop_;

  std::vector<BatchItem> batchItems_;
  int batchCount_ = -1;
  int nextBatchIndex_ = 0;
  bool batchMode_ = false;
  bool batchFileWhole_ = true;
  std::vector<RunReport> batchReports_;
  std::shared_ptr<ParsedFileCache> sharedInputCache_;
  std::shared_ptr<ParsedFileCache> batchInputCache_;  // while a batch runs
  std::string lastRefusal_;                           // the text of the form's latest refusal
  ResultsRecorder results_;
  int batchJobs_ = 1;
  ShardSpec shard_;
  int itemsTakenUp_ = 0;
  bool journalFailed_ = false;                    // a unit of this shard's items missed its journal
  std::deque<std::unique_ptr<BatchSlot>> slots_;  // taken up, not yet retired; in item order
  BatchSlot* currentSlot_ = nullptr;              // the item being taken up
  std::string jobTempDirectory_;  // the current item's folder when items run side by side
  std::vector<std::string> lanes_;
  bool continuing_ = false;  // inside ContinueBatch
  bool continueAgain_ = false;
  std::string statusDataName_;

  int lastJobId_ = 0;
  std::unique_ptr<OwnedJob> job_;
  int jobCallDepth_ = 0;
  bool jobEndPending_ = false;

  // Declared last: destroyed first, so no queued report reaches a form that
  // is being taken apart.
  QTimer progressTimer_;
  QObject context_;
};

// Points the progress log at `name` ("egg.log") in the temporary directory
// (no log when the directory text is empty) and starts it afresh.
void StartLogIn(const std::string& tempDirectory, const std::string& name = "egg.log");

// The most items a batch runs at once.
inline constexpr int kMaxBatchJobs = 256;

}  // namespace corvane
