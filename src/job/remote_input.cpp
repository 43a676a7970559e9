#include "job/remote_input.h"

namespace corvane {

// This build has no internet worker: remote runs are refused by the job.
std::unique_ptr<RemoteInput> MakeRemoteInput(JobState& /*job*/) { return nullptr; }

}  // namespace corvane
