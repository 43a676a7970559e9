// Helpers of the job tests: a job with a recording form link, an output root
// in a fresh temporary directory, and a progress log that the test can read.
#pragma once

#include <memory>
#include <string>

#include "job/egg_statistics.h"
#include "support/recording_link.h"
#include "support/temp_dir.h"

namespace corvane::testing {

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
  JobHarness();

  // Hands the job the settings the form gives every run: the temporary
  // directory, the output root and the gnuplot path (a recording script, so
  // that no plot window opens).
  void Configure();

  // Ticks the job directly until it has ended (at most `ticks` times).
  void TickUntilEnded(int ticks = 3);

  TempDir dir;
  std::string root;  // output root, below dir
  std::string temp;  // temporary directory, below dir
  RecordingLink link;
  std::unique_ptr<CEggStatistics> job;
};

}  // namespace corvane::testing
