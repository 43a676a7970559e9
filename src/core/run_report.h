// RunReport: how one run ended, as its job determines it at its end and
// hands it to the form with the end-of-run notification.
//
// The form turns it into its closing words and, in batch mode, keeps one
// report per item in item order (its own refusals included) for the batch's
// counts. It is a plain value: copy it freely, across threads too.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

enum class RunOutcome {
  kCompleted,  // the run wrote its results (a re-display: showed them)
  kFailed,     // a failure ended the run before its results were written
  kRefused,    // the request was refused before anything was read
  kStopped,    // the user stopped the run before its results were written
};

// The run values of a run that wrote its results, as the results table
// records them. Probabilities are exact tails, not one minus the other.
struct RunStatistics {
  int useableEggs = 0;
  int samples = 0;
  // The cumulative Stouffer chi-square of the whole run: S, the sum of the
  // squared Stouffer Z of the samples where it is defined, their number as
  // its degrees of freedom, D = S - median (the summary table's "Stouf"),
  // and both tails of S (NaN without degrees of freedom).
  double stoufferSum = 0.0;
  double stoufferDeviation = 0.0;
  int stoufferDegrees = 0;
  double stoufferUpperP = std::numeric_limits<double>::quiet_NaN();
  double stoufferLowerP = std::numeric_limits<double>::quiet_NaN();
  // The Z of the run's Stouffer chi-square: the normal quantile of its
  // smaller tail, positive when the chi-square lies above its median.
  double stoufferZ = std::numeric_limits<double>::quiet_NaN();
  // The covariance sum K with its degrees of freedom, and the upper tail of
  // n + K as a chi-square with n degrees of freedom (1 when n + K <= 0).
  double covarSum = 0.0;
  int covarDegrees = 0;
  double covarUpperP = 1.0;
};

// One compared variable's t-test.
struct VariableTest {
  std::string name;
  double mean1 = 0.0;
  double mean2 = 0.0;
  double t = 0.0;
  std::int64_t df = 0;
  double p = 1.0;  // two-sided
};

// The interval comparison of a run that asked for one.
struct IntervalReport {
  bool ran = false;                 // the t-tests were computed (tests holds them)
  std::vector<VariableTest> tests;  // in the order of the statistics table
  // Why the comparison was refused (an interval past the end of the data),
  // or why its tables could not be written; empty when all went well.
  std::string message;
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
  // Completed analysis runs: the run's values.
  std::optional<RunStatistics> statistics;
  // Completed analysis runs that asked for an interval comparison.
  std::optional<IntervalReport> intervals;
};

}  // namespace corvane
