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
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "core/analysis_settings.h"
#include "core/form_link.h"

namespace corvane {

class RunContext {
 public:
  RunContext(FormLink* link, MessageReporter* reporter) : link_(link), reporter_(reporter) {}
  RunContext(const RunContext&) = delete;
  RunContext& operator=(const RunContext&) = delete;

  AnalysisSettings settings;

  // The one stop signal of a run: the user's Stop and every fatal failure set
  // it; every long loop tests it.
  bool Aborted() const { return abort_.load(std::memory_order_relaxed) != 0; }
  void Abort() { abort_.store(1, std::memory_order_relaxed); }
  void ClearAbort() { abort_.store(0, std::memory_order_relaxed); }

  // The stage counter that the form turns into its progress bar (stage x 20).
  int JobStage() const { return stage_.load(std::memory_order_relaxed); }
  void SetJobStage(int stage) { stage_.store(stage, std::memory_order_relaxed); }
  void AdvanceJobStage() { stage_.fetch_add(1, std::memory_order_relaxed); }

  void LogLine(const std::string& text) const;
  void PostStatus(const std::string& text) const;
  void PostBytesReceived(std::int64_t count) const;
  void RunError(const std::string& message) const;
  void ShowMessage(const std::string& text,
                   const std::optional<std::string>& caption = std::nullopt,
                   MessageKind kind = MessageKind::kCritical) const;

  // The root directory's summary table, "summary.tst".
  std::string SummaryPath() const;

  FormLink* link() const { return link_; }
  MessageReporter* reporter() const { return reporter_; }

 private:
  FormLink* link_;
  MessageReporter* reporter_;
  std::atomic<int> abort_{0};
  std::atomic<int> stage_{0};
};

}  // namespace corvane
