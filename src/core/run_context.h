// What every step of one analysis run shares: the run's settings, its abort
// flag and stage counter, and the channels through which it reports.
//
// The job owns one RunContext per run and hands it by reference to the input,
// statistics, output, audio and download steps; tests build one directly.
//
// Reporting rules:
//  - LogLine goes to the process-wide progress log.
//  - PostStatus and PostBytesReceived go to the form link (if any).
//  - RunError(message) reports "data name: message": a message box in an
//    interactive run, a line appended to the root's "summary.tst" in batch
//    mode.
//  - ShowMessage(text) is a run's own message box (a failure unless its kind
//    says otherwise); in batch mode no box waits for a click, and the text
//    goes to the summary table as "data name: text".
//  - A line that cannot be added to the summary table is shown instead, with
//    the reason, captioned "Summary table not written" (ShowUnwrittenLine):
//    through the reporter, or on standard error when there is none.
//  - Once the user has stopped the run (RequestStop), RunError and
//    ShowMessage only write their text to the progress log: whatever the
//    steps say as they wind down follows from the stop, not from the data.
//
// Outcome: the context tells a failure from the user's stop. The first
// setting of the abort flag decides: Abort() is a failure, RequestStop() a
// stop. The failure's message is the last message reported before that
// Abort() (steps report, then abort), or else the first one after it.
//
// results holds the run's result files while "Write results" writes them
// (output_file_set.h); outside that step the writers write in place.
//
// A batch item's run has an ItemOutput (SetItemOutput): its log lines,
// summary lines and table units then go there, so that they reach the shared
// files in item order when items run side by side (item_output.h).
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "core/analysis_settings.h"
#include "core/form_link.h"
#include "core/item_output.h"
#include "core/output_file_set.h"

namespace corvane {

class PlotWindows;

class RunContext {
 public:
  RunContext(FormLink* link, MessageReporter* reporter) : link_(link), reporter_(reporter) {}
  RunContext(const RunContext&) = delete;
  RunContext& operator=(const RunContext&) = delete;

  AnalysisSettings settings;
  OutputFileSet results;
  // The form's plot windows, which an interactive run's plot replaces in;
  // null when the run has none (each plot then opens a window of its own).
  PlotWindows* plotWindows = nullptr;

  // The one stop signal of a run: the user's Stop and every fatal failure set
  // it; every long loop tests it.
  bool Aborted() const { return abort_.load(std::memory_order_relaxed) != kRunning; }
  // A fatal failure: sets the abort flag (see Outcome above).
  void Abort() noexcept;
  // The user's Stop: sets the abort flag as a stop. Any thread.
  void RequestStop() noexcept { SetAbort(kStopped); }
  // A fresh start of the run: clears the abort flag, the stop and the
  // failure.
  void ClearAbort();

  // The first setting of the abort flag was the user's Stop.
  bool StopRequested() const { return abort_.load() == kStopped; }
  // The first setting of the abort flag was a failure.
  bool Failed() const { return abort_.load() == kFailed; }
  // The failure's message (see Outcome above); empty when it reported none
  // or the run has not failed.
  std::string FailureMessage() const;

  // The stage counter that the form turns into its progress bar (stage x 20).
  int JobStage() const { return stage_.load(std::memory_order_relaxed); }
  void SetJobStage(int stage) { stage_.store(stage, std::memory_order_relaxed); }
  void AdvanceJobStage() { stage_.fetch_add(1, std::memory_order_relaxed); }

  // How far the input stage has come, 0 to 1 (the days of a remote run
  // downloaded so far): a finer reading of the progress within stage 1.
  double InputFraction() const { return input_fraction_.load(std::memory_order_relaxed); }
  void SetInputFraction(double fraction) {
    input_fraction_.store(fraction, std::memory_order_relaxed);
  }

  void LogLine(const std::string& text) const;
  void PostStatus(const std::string& text) const;
  void PostBytesReceived(std::int64_t count) const;
  void RunError(const std::string& message) const;
  void ShowMessage(const std::string& text,
                   const std::optional<std::string>& caption = std::nullopt,
                   MessageKind kind = MessageKind::kCritical) const;
  // Shows the message of a summary line that could not be added.
  void ShowUnwrittenLine(const std::string& message) const;

  // What messages call the run's input file `index` when its path would not
  // tell the user which input it is (a downloaded day, inflated into the
  // temporary directory): NameInput gives it a name, InputName returns that
  // name, or `path` when there is none. Used on the job's thread.
  void NameInput(int index, const std::string& name);
  std::string InputName(int index, const std::string& path) const;

  // The root directory's summary table, "summary.tst".
  std::string SummaryPath() const;

  // Before the run starts (the form's thread).
  void SetItemOutput(std::shared_ptr<ItemOutput> output) {
    item_output_ = std::move(output);
    results.SetItemOutput(item_output_.get());
  }
  ItemOutput* itemOutput() const { return item_output_.get(); }

  FormLink* link() const { return link_; }
  MessageReporter* reporter() const { return reporter_; }

 private:
  // "data name: text" as a line of the summary table, or shown when the
  // table cannot take it.
  void AddSummaryLine(const std::string& text) const;
  // Notes a message the run reports for the outcome; false when the user
  // has stopped the run and the message is only to be logged.
  bool NoteMessage(const std::string& text) const;

  // The abort flag: who set it first.
  static constexpr int kRunning = 0;
  static constexpr int kFailed = 1;
  static constexpr int kStopped = 2;
  // Sets the flag unless it is set; true when this call set it.
  bool SetAbort(int state) noexcept {
    int running = kRunning;
    return abort_.compare_exchange_strong(running, state);
  }

  FormLink* link_;
  MessageReporter* reporter_;
  std::atomic<int> abort_{kRunning};
  std::atomic<int> stage_{0};
  std::atomic<double> input_fraction_{0.0};
  std::map<int, std::string> input_names_;
  std::shared_ptr<ItemOutput> item_output_;

  // The failure's message, guarded by message_mutex_.
  mutable std::mutex message_mutex_;
  mutable std::string last_message_;  // the latest message before a failure
  mutable std::string failure_;
  mutable bool failure_taken_ = false;  // failure_ is final
};

}  // namespace corvane
