// The download side of a remote run: day-by-day requests to the data server
// through an internet worker, the supervision of that worker on the job's
// tick (finished download, stall, retry and retry limit) and its release.
//
// The job makes one RemoteInput per remote run, in StartAnalysis, and calls:
//  - Start() once, on the form's thread, after the day segments are built: it
//    requests the first segment;
//  - OnTick() at the start of every tick of the job's thread: it finishes a
//    download that has ended, starts the next one or a retry, and sets the
//    job's input_complete once all segments are in, or its abort flag at the
//    retry limit;
//  - RequestStop() from the form's thread (the user's Stop): it asks a
//    running worker to stop at once. It must be safe while OnTick runs;
//  - Release() once, from Cleanup on the job's thread (or from the job's
//    destructor after the thread has ended): it stops and releases the worker,
//    so that no report reaches the job afterwards.
// A RemoteInput may keep a reference to the job's state for its whole life.
#pragma once

#include <memory>

namespace corvane {

class JobState;

class RemoteInput {
 public:
  virtual ~RemoteInput() = default;
  virtual void Start() = 0;
  virtual void OnTick() = 0;
  virtual void RequestStop() = 0;
  virtual void Release() = 0;
};

// The remote input of a run of this job, or null when this build cannot read
// remote data (the job then refuses the run with a clear message).
std::unique_ptr<RemoteInput> MakeRemoteInput(JobState& job);

}  // namespace corvane
