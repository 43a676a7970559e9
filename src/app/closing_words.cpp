#include "app/closing_words.h"

#include "core/c_format.h"

namespace corvane {
namespace {

const char* const kNoResults = "The run ended without results";

}  // namespace

std::optional<std::string> RunClosingText(const RunReport& report) {
  switch (report.outcome) {
    case RunOutcome::kCompleted:
      return "Finished processing. The results are in " + report.outputDirectory;
    case RunOutcome::kStopped:
      return report.dataName + ": " + kStoppedByUser;
    case RunOutcome::kFailed:
    case RunOutcome::kRefused:
      if (report.message.empty()) return report.dataName + ": " + kNoResults;
      return std::nullopt;
  }
  return std::nullopt;
}

std::optional<std::string> ItemSummaryText(const RunReport& report) {
  switch (report.outcome) {
    case RunOutcome::kCompleted:
      return std::nullopt;
    case RunOutcome::kStopped:
      return std::string(kStoppedByUser);
    case RunOutcome::kFailed:
    case RunOutcome::kRefused:
      if (report.message.empty()) return std::string(kNoResults);
      return std::nullopt;
  }
  return std::nullopt;
}

BatchTally CountOutcomes(const std::vector<RunReport>& reports) {
  BatchTally tally;
  for (const RunReport& report : reports) {
    switch (report.outcome) {
      case RunOutcome::kCompleted:
        ++tally.completed;
        break;
      case RunOutcome::kFailed:
        ++tally.failed;
        break;
      case RunOutcome::kRefused:
        ++tally.refused;
        break;
      case RunOutcome::kStopped:
        ++tally.stopped;
        break;
    }
  }
  return tally;
}

std::string BatchClosingText(int itemsTakenUp, int itemCount, const BatchTally& tally) {
  std::string text = CFormat(
      "%d items processed in batch mode: %d completed, %d failed, "
      "%d refused, %d stopped",
      itemsTakenUp, tally.completed, tally.failed, tally.refused, tally.stopped);
  if (itemCount > itemsTakenUp) text += CFormat("; %d not started", itemCount - itemsTakenUp);
  return text;
}

}  // namespace corvane
