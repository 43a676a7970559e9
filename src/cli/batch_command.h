// corvane-cli batch: opens a batch file and runs it through the request form,
// with the stored settings and this run's overrides, on the calling thread's
// Qt event loop (a QCoreApplication must exist).
#pragma once

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/closing_words.h"

namespace corvane {

// Returns the process exit status (BatchExitStatus once the batch has run; 1
// when it could not run: an unreadable file, no items; 2 for an unusable
// override). Status changes and messages go to err.
// jobs: items at once (0: one per processor core); shardIndex/shardCount:
// the shard to run (0/0: the whole batch).
struct BatchRunOptions {
  int jobs = 0;
  int shardIndex = 0;
  int shardCount = 0;
};
int RunBatchCommand(const std::string& batchFile,
                    const std::vector<std::pair<std::string, std::string>>& overrides,
                    const BatchRunOptions& run, std::ostream& err);

// corvane-cli merge-summaries: joins the shards' tables in root; prints
// what it wrote to out, a refusal to err. The exit status.
int RunMergeCommand(const std::string& root, std::ostream& out, std::ostream& err);

// One item per processor core, within 1 and kMaxBatchJobs.
int DefaultBatchJobs();

// The exit status of a batch that ran: 130 when Ctrl-C stopped it, else 3
// when an item failed or was refused or the batch file was not read whole,
// else 0 (every item completed).
int BatchExitStatus(bool stopped, const BatchTally& tally, bool fileReadWhole);

}  // namespace corvane
