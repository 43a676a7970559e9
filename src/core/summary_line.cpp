#include "core/summary_line.h"

#include "core/output_file_append.h"

namespace corvane {

std::string SummaryTablePath(const std::string& root) { return root + kSummaryTableName; }

std::optional<std::string> AppendSummaryLine(const std::string& root, const std::string& dataName,
                                             const std::string& text) {
  const std::string line = dataName + ": " + text;
  if (root.empty()) return line + " (there is no output root for the summary table)";
  if (auto reason = AppendToTable(SummaryTablePath(root), {line + "\n", {}, {}})) {
    return line + " (not added to " + *reason + ")";
  }
  return std::nullopt;
}

std::optional<std::string> AddItemSummaryLine(ItemOutput& output, const std::string& root,
                                              const std::string& dataName,
                                              const std::string& text) {
  const std::string line = dataName + ": " + text;
  if (root.empty()) return line + " (there is no output root for the summary table)";
  return output.AddTable(SummaryTablePath(root), {line + "\n", {}, {}}, line + " (not added to ",
                         ")");
}

}  // namespace corvane
