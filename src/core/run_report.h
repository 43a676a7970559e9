// RunReport: how one run ended, as its job determines it at its end and
// hands it to the form with the end-of-run notification.
//
// The form turns it into its closing words and, in batch mode, keeps one
// report per item in item order (its own refusals included) for the batch's
// counts. It is a plain value: copy it freely, across threads too.
#pragma once

#include <string>

namespace corvane {

enum class RunOutcome {
  kCompleted,  // the run wrote its results (a re-display: showed them)
  kFailed,     // a failure ended the run before its results were written
  kRefused,    // the request was refused before anything was read
  kStopped,    // the user stopped the run before its results were written
};

struct RunReport {
  RunOutcome outcome = RunOutcome::kFailed;
  // Failed or refused: the message of the failure that ended the run, as the
  // run reported it (without the data name). Empty when the run reported
  // none; the form then has to say why it ended.
  std::string message;
  std::string dataName;
  // The run's result folder (with a trailing separator).
  std::string outputDirectory;
};

}  // namespace corvane
