// The words the form says when a run or a batch ends, made from the runs'
// reports.
//
// A run's own failure message (a box, or a line of the summary table in
// batch mode) stands alone; the form adds words only where the run said
// nothing itself: that it finished and where its results are, that the user
// stopped it, or that it ended without results and without a reason.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/run_report.h"

namespace corvane {

// What a stopped run says, after its data name.
inline constexpr const char* kStoppedByUser = "Stopped by user";

// The closing box of an interactive run, or nullopt when the run's own
// message stands alone.
std::optional<std::string> RunClosingText(const RunReport& report);

// The text of a batch item's summary-table line ("name: text") that the form
// writes at the item's end, or nullopt when the run wrote its own line (a
// failure) or its results (a completed run).
std::optional<std::string> ItemSummaryText(const RunReport& report);

struct BatchTally {
  int completed = 0;
  int failed = 0;
  int refused = 0;
  int stopped = 0;
};

BatchTally CountOutcomes(const std::vector<RunReport>& reports);

// "N items processed in batch mode: C completed, F failed, R refused, S
// stopped", for the N items taken up of the count loaded; the items never
// taken up (after Stop) are named at the end.
std::string BatchClosingText(int itemsTakenUp, int itemCount, const BatchTally& tally);

}  // namespace corvane
