// Helpers of the job tests: a job with a recording form link, an output root
// in a fresh temporary directory, and a progress log that the test can read.
#pragma once

#include <memory>
#include <string>

#include "eggdata/egg_data_generator.h"
#include "job/egg_statistics.h"
#include "support/recording_link.h"
#include "support/temp_dir.h"

namespace corvane::testing {

// Synthetic data of `eggs` eggs, one record per second from start to stop
// ("yyyy-mm-dd hh:mm:ss", both inclusive).
eggdata::EggDataOptions DataRange(const std::string& start, const std::string& stop, int eggs = 10);

// Switches the process-wide progress log on, into a file of its own, for the
// life of the object; switches it off again afterwards.
class ProgressLogCapture {
 public:
  explicit ProgressLogCapture(const std::string& path);
  ~ProgressLogCapture();
  std::string Contents() const;

 private:
  std::string path_;
};

struct JobHarness {
  // A job that reports to `link`, or to the harness's own recording link.
  explicit JobHarness(RecordingLink* link = nullptr);

  // Hands the job the settings the form gives every run: the temporary
  // directory, the output root and the gnuplot path (a recording script, so
  // that no plot window opens).
  void Configure();

  // Ticks the job directly until it has ended (at most `ticks` times).
  void TickUntilEnded(int ticks = 3);

  // What the form does for a local run: the setters, the time range and
  // StartAnalysis. The job's thread is not started; tick it yourself.
  void StartLocalRun(const std::string& dataName, const std::string& localFile,
                     const std::string& start, const std::string& stop, bool batch = false);

  // The arguments the recording gnuplot script was started with, one per
  // line, once it has run; "" when it did not run within the timeout.
  std::string WaitForGnuplotArguments(int timeoutMs = 10000) const;

  // The run's output directory, root + dataName + separator.
  std::string OutputDirectory(const std::string& dataName) const { return root + dataName + "/"; }

  TempDir dir;
  std::string root;               // output root, below dir
  std::string temp;               // temporary directory, below dir
  std::string gnuplot;            // a script that records its arguments
  std::string gnuplot_arguments;  // where it records them
  RecordingLink own_link;
  RecordingLink& link;
  std::unique_ptr<CEggStatistics> job;
};

}  // namespace corvane::testing
