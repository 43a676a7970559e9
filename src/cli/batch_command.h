// corvane-cli batch: opens a batch file and runs it through the request form,
// with the stored settings and this run's overrides, on the calling thread's
// Qt event loop (a QCoreApplication must exist).
#pragma once

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace corvane {

// Returns the process exit status: 0 when the batch ran to its end, 1 when it
// could not run (an unreadable file, no items), 2 for an unusable override,
// 130 when Ctrl-C stopped it. Status changes and messages go to err.
int RunBatchCommand(const std::string& batchFile,
                    const std::vector<std::pair<std::string, std::string>>& overrides,
                    std::ostream& err);

}  // namespace corvane
