// The lines "data name: message" that batch runs and refused batch items add
// to the output root's summary table, and what is shown when one cannot be
// added: the same line, with where it could not go and why, in a message
// captioned kSummaryNotWritten (a box in the window, standard error without
// one). No such line is ever lost without a word.
#pragma once

#include <optional>
#include <string>

#include "core/item_output.h"

namespace corvane {

inline constexpr char kSummaryTableName[] = "summary.tst";
inline constexpr char kSummaryNotWritten[] = "Summary table not written";

// root (ending with a separator) + "summary.tst".
std::string SummaryTablePath(const std::string& root);

// Appends "dataName: text" to the summary table of root, all or nothing.
// nullopt when it was written; otherwise the message to show instead, e.g.
// "Quake: No useable records (not added to /out/summary.tst: No space left
// on device)".
std::optional<std::string> AppendSummaryLine(const std::string& root, const std::string& dataName,
                                             const std::string& text);

// The same line as a unit of a batch item's output (item_output.h): kept
// in item order, or written at once when the item is live.
std::optional<std::string> AddItemSummaryLine(ItemOutput& output, const std::string& root,
                                              const std::string& dataName, const std::string& text);

}  // namespace corvane
