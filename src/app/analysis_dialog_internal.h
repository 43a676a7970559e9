// Private parts of AnalysisDialog shared by its source files (the job it
// owns, the guard around calls into that job, and the summary-table line of a
// batch item). Only the form's own source files (analysis_*.cpp) include it.
#pragma once

#include <memory>
#include <string>

#include "app/analysis_dialog.h"
#include "app/job_channel.h"
#include "job/egg_statistics.h"
#include "output/results_table.h"

namespace corvane {

inline const char* const kSetupError = "Setup error";

// One job of the form with the channel it reports through.
struct AnalysisDialog::OwnedJob {
  int id = 0;
  std::unique_ptr<JobChannel> channel;
  std::unique_ptr<CEggStatistics> job;
  bool analysis = false;  // started by StartAnalysis: its end continues a batch
  bool ended = false;     // its end-of-run report has arrived
  RunReport report;       // that report
  std::string dataName;   // for the summary table in batch mode
  std::string outputRoot;
  ResultRequest request;  // for the results table

  ~OwnedJob() {
    if (channel) channel->Abandon();
    job.reset();  // stops a job still working and joins its thread
  }
};

// A batch item taken up: its job while it runs, its output and, once it
// has ended, its report.
struct AnalysisDialog::BatchSlot {
  int item = 0;  // 1 for the batch's first item
  std::shared_ptr<ItemOutput> output;
  std::unique_ptr<OwnedJob> job;  // while its run goes on
  bool ran = false;               // a job ran it (else the form refused it)
  bool ended = false;
  RunReport report;  // once ended
  ResultRequest request;
  std::string outputRoot;
  std::string folder;  // root + data name: its result folder
  std::string lane;    // its temporary folder, when items run side by side
};

class AnalysisDialog::JobCallGuard {
 public:
  explicit JobCallGuard(AnalysisDialog& form) : form_(form) { ++form_.jobCallDepth_; }
  ~JobCallGuard() { --form_.jobCallDepth_; }
  JobCallGuard(const JobCallGuard&) = delete;
  JobCallGuard& operator=(const JobCallGuard&) = delete;

 private:
  AnalysisDialog& form_;
};

// A batch item's message as the line "name: text" of the output root's
// summary table. False when there is no root (the caller shows the message
// itself); a line that cannot be written is shown in the view instead, with
// the reason (summary_line.h).
bool AppendToSummary(FormView& view, const std::string& outputRoot, const std::string& dataName,
                     const std::string& text);

}  // namespace corvane
