// The private state and member operations of one analysis job
// (CEggStatistics). Only the job's own files include this header: the public
// face of the job is egg_statistics.h.
//
// Threads:
//  - the form's thread runs the setters, StartAnalysis, StartDisplay and
//    RequestStop;
//  - the job's thread runs Tick (and with it the whole analysis and Cleanup);
//  - a download worker (remote runs) reports through the remote input part.
// StartAnalysis, StartDisplay and Tick hold run_mutex for their whole length,
// so a tick never sees a run half set up. RequestStop takes no lock that a
// tick holds: it only sets atomics and asks the remote part to stop.
//
// Cleanup runs at most once per job: it releases the run's memory, writes the
// closing log lines, clears the status line, ends the thread's loop and sends
// the one end-of-run notification with the run's report (MakeReport). Nothing
// of the job may be used by its thread after that notification.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/day_segments.h"
#include "core/form_link.h"
#include "core/job_thread.h"
#include "core/run_context.h"
#include "core/run_report.h"
#include "input/egg_sample_table.h"
#include "input/parsed_egg_file.h"
#include "input/parsed_file_cache.h"
#include "job/remote_input.h"
#include "stats/composite_series.h"

namespace corvane {

class JobState {
 public:
  JobState(FormLink* link, MessageReporter* reporter);
  JobState(const JobState&) = delete;
  JobState& operator=(const JobState&) = delete;

  // Run control (form's thread).
  void StartAnalysis(bool batch, const std::string& dataName, const std::string& startText,
                     const std::string& stopText);
  void StartDisplay(const std::string& dataName, int displayCode, const std::string& title);
  void RequestStop();

  // One tick (job's thread, or a test's thread when the job has no thread).
  void Tick();

  // Ends the run once: see the file comment. Later calls do nothing.
  void Cleanup();

  // Cuts the run's range into day segments and sizes the file list. False
  // (abort set, reported) when the range is too long.
  bool BuildDaySegments();

  // Reads the input, computes the statistics and writes the results (job's
  // thread). Returns early once the abort flag is set.
  void RunSequence();

  // How the run ended: completed once its results were written (a Stop
  // arriving later changes nothing), refused or failed with the failure's
  // message, or stopped by the user.
  RunReport MakeReport() const;

  // The run's settings, abort flag, stage and report channels.
  RunContext context;
  JobThread thread;

  // Hand-overs between the form's thread and the job's thread. The release
  // store of input_complete or display_requested publishes everything the
  // form's thread prepared for the run.
  std::atomic<bool> input_complete{false};
  std::atomic<bool> display_requested{false};
  std::atomic<bool> ended{false};

  std::mutex run_mutex;

  // The run's outcome so far; under run_mutex.
  bool refused = false;          // refused before it read anything
  bool results_written = false;  // its results (or a re-display) are done

  // The run's input: day segments and one input file per segment; a remote
  // run's days are parsed as they arrive and wait here for the readers.
  std::vector<DaySegment> segments;
  SegmentFileList segment_files;
  ParsedInputs parsed_inputs;
  int input_file_count = 0;

  // The batch's parsed input files (local runs), or nullptr.
  std::shared_ptr<ParsedFileCache> input_cache;

  // The run's data and results.
  EggSampleTable table;
  CompositeSeries series;
  // For the report: the run values once the results are written, and the
  // interval comparison once it has run (or was refused).
  std::optional<RunStatistics> statistics;
  std::optional<IntervalReport> intervals;

  // Seconds of a monotonic clock; the download stall rule measures with it.
  std::function<std::int64_t()> now_seconds;

  // The download side of a remote run, while it exists. Guarded by
  // remote_mutex against RequestStop; replaced only under run_mutex or on the
  // job's thread.
  std::mutex remote_mutex;
  std::unique_ptr<RemoteInput> remote;

 private:
  // Refusals made before a run reads or writes anything: bad data name,
  // resolution, smoothing or time texts. True when the run may go on.
  bool CheckRunSettings(const std::string& startText, const std::string& stopText);
  void StartInput();
  void RefuseRun(const std::string& message);
  // Refuses the run with a message box when no output root directory is
  // set; true when it did.
  bool RefuseWithoutRootDirectory();
  // Aborts the run and reports the failure as a run error; never throws.
  void ReportFailure(const std::string& message) noexcept;
  void ReleaseRemoteInput();
};

}  // namespace corvane
