#include "core/item_output.h"

#include "core/shard_journal.h"

namespace corvane {
namespace {

// path = folder + name.
std::pair<std::string, std::string> SplitPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {std::string(), path};
  return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

}  // namespace

void ItemOutput::Log(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (live_) {
    WriteLogLine(text);
  } else {
    kept_.push_back({Entry::Kind::kLog, std::string(), {text, {}, {}}, {}, {}});
  }
}

std::optional<std::string> ItemOutput::AddTable(const std::string& path, const TableText& text,
                                                const std::string& failurePrefix,
                                                const std::string& failureSuffix) {
  Entry entry{Entry::Kind::kTable, path, text, failurePrefix, failureSuffix};
  std::lock_guard<std::mutex> lock(mutex_);
  if (live_) return Write(entry);
  kept_.push_back(std::move(entry));
  return std::nullopt;
}

std::optional<std::string> ItemOutput::AddRecord(const std::string& path, const std::string& header,
                                                 const std::string& record, RecordAppender append) {
  Entry entry{Entry::Kind::kRecord, path, {record, header, {}}, {}, {}, append};
  std::lock_guard<std::mutex> lock(mutex_);
  if (live_) return Write(entry);
  kept_.push_back(std::move(entry));
  return std::nullopt;
}

std::string ItemOutput::TablePath(const std::string& path) const {
  if (!shard_.Active()) return path;
  const auto [folder, name] = SplitPath(path);
  return folder + ShardTableName(name, shard_);
}

std::vector<std::string> ItemOutput::GoLive() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> failures;
  for (const Entry& entry : kept_) {
    if (auto failure = Write(entry)) failures.push_back(*failure);
  }
  kept_.clear();
  live_ = true;
  return failures;
}

std::optional<std::string> ItemOutput::Write(const Entry& entry) {
  if (entry.kind == Entry::Kind::kLog) {
    WriteLogLine(entry.text.text);
    return std::nullopt;
  }
  const auto [folder, name] = SplitPath(entry.path);
  const std::string target = TablePath(entry.path);
  std::optional<std::string> reason;
  if (entry.kind == Entry::Kind::kRecord) {
    // The appender's message names the file on its own.
    if (auto failure = entry.append(target, entry.text.heading, {entry.text.text})) return failure;
  } else {
    reason = AppendToTable(target, entry.text);
  }
  if (!reason && shard_.Active()) {
    reason = AddJournalUnit(folder, shard_, item_, entry.kind == Entry::Kind::kRecord ? 'c' : 't',
                            name, entry.text);
    journal_failed_ = journal_failed_ || reason.has_value();
  }
  if (!reason) return std::nullopt;
  if (entry.kind == Entry::Kind::kRecord) return *reason;
  return entry.failurePrefix + *reason + entry.failureSuffix;
}

}  // namespace corvane
