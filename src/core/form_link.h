// The two ways a run talks to whoever started it (the window, the headless
// runner or a test): a reporter that shows message boxes, and a form link that
// receives status text, the downloaded byte count and the end of the run.
//
// Both may be called from the job's thread and from a download worker's
// thread; implementations hand the values over to their own thread safely.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/run_report.h"

namespace corvane {

// What a message box tells, shown by its icon.
enum class MessageKind {
  kInformation,  // an outcome the user asked for ("Finished processing")
  kWarning,      // a refused request or value: nothing was started or stored
  kCritical,     // a run failed, or a result could not be written
};

class MessageReporter {
 public:
  virtual ~MessageReporter() = default;
  // Shows text in a modal box and returns once it has been acknowledged.
  // caption nullopt means the platform's default caption (the program's
  // name); an empty caption is shown as empty. A run's box reports a failure
  // unless it says otherwise.
  virtual void ShowMessage(const std::string& text, const std::optional<std::string>& caption,
                           MessageKind kind = MessageKind::kCritical) = 0;
};

class FormLink {
 public:
  virtual ~FormLink() = default;
  // The form's one-line status text; an empty text clears the status line.
  virtual void PostStatus(const std::string& text) = 0;
  // The bytes received so far by the download in progress.
  virtual void PostBytesReceived(std::int64_t count) = 0;
  // Called exactly once per job, as the last thing the job does on its
  // thread, with how the run ended. The job may be joined and destroyed once
  // this has been called.
  virtual void NotifyRunEnded(const RunReport& report) = 0;
};

}  // namespace corvane
