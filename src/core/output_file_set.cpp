#include "core/output_file_set.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string_view>
#include <thread>

#include "core/c_format.h"

namespace corvane {
namespace {

constexpr std::string_view kPendingSuffix = ".pending";
// A commit record lists a few dozen file names; a larger one is not ours.
constexpr off_t kRecordLimit = 1 << 16;
// How long Begin tries a held lock again before it refuses the set.
constexpr std::chrono::seconds kLockWait(2);

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Copies the final file (when there is one) to the pending one; false with
// errno set when that failed.
bool CopyInto(const std::string& from, const std::string& to) {
  FileDescriptor source(open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (!source.valid() && errno != ENOENT) return false;
  struct stat info {};
  if (source.valid() && (fstat(source.get(), &info) != 0 || !S_ISREG(info.st_mode))) {
    errno = EINVAL;
    return false;
  }
  FileDescriptor target(open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (!target.valid()) return false;
  char buffer[1 << 16];
  while (source.valid()) {
    const ssize_t n = read(source.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    for (ssize_t done = 0; done < n;) {
      const ssize_t written = write(target.get(), buffer + done, static_cast<size_t>(n - done));
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return false;
      done += written;
    }
  }
  if (const int error = target.Close()) {
    errno = error;
    return false;
  }
  return true;
}

}  // namespace

std::string PendingPath(const std::string& finalPath) {
  const std::size_t slash = finalPath.rfind('/');
  const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
  return finalPath.substr(0, name) + "." + finalPath.substr(name) + std::string(kPendingSuffix);
}

std::optional<std::string> OutputFileSet::Begin(const std::string& directory,
                                                const std::string& name) {
  Discard();
  FileDescriptor folder(open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder.valid()) return "Cannot open the folder " + directory + ": " + ErrorText(errno);
  // A file system without locks still gets the pending names and the record.
  // A lock may outlive its set for a moment: a child process started by
  // another thread holds a copy of the folder's descriptor until it runs
  // its program. So a held lock is tried again for a while before the set
  // is refused.
  const auto deadline = std::chrono::steady_clock::now() + kLockWait;
  while (flock(folder.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    if (std::chrono::steady_clock::now() >= deadline) {
      return "The results of " + name + " are being written by another run";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (fstat(folder.get(), &folder_) != 0) {
    return "Cannot open the folder " + directory + ": " + ErrorText(errno);
  }
  directory_ = directory;
  name_ = name;
  if (auto failure = CompleteEarlierCommit()) return failure;
  RemoveUnfinishedFiles();
  lock_ = std::move(folder);
  active_ = true;
  return std::nullopt;
}

std::optional<std::string> OutputFileSet::CompleteEarlierCommit() const {
  const std::string record = directory_ + "." + name_ + ".commit";
  FileDescriptor fd(open(record.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
  if (!fd.valid() && errno == ENOENT) return std::nullopt;
  const std::string refusal = "Cannot complete the earlier results of " + name_ + ": " + record;
  struct stat info {};
  if (!fd.valid()) return refusal + ": " + ErrorText(errno);
  if (fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kRecordLimit) {
    return refusal + " is not a commit record";
  }
  std::string text(static_cast<std::size_t>(info.st_size), '\0');
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = read(fd.get(), text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return refusal + ": cannot be read";
    done += static_cast<std::size_t>(n);
  }
  // Each line names a final file of this run; the record moves nothing else.
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string base = text.substr(start, end - start);
    start = end + 1;
    if (base.size() <= name_.size() || base.compare(0, name_.size(), name_) != 0 ||
        base.find('/') != std::string::npos || base.find('\0') != std::string::npos) {
      continue;
    }
    const std::string finalPath = directory_ + base;
    const std::string pending = PendingPath(finalPath);
    struct stat entry {};
    if (lstat(pending.c_str(), &entry) != 0 || !S_ISREG(entry.st_mode)) continue;
    if (rename(pending.c_str(), finalPath.c_str()) != 0) {
      return "Cannot complete the earlier results of " + name_ + ": " + finalPath + ": " +
             ErrorText(errno);
    }
  }
  unlink(record.c_str());
  return std::nullopt;
}

void OutputFileSet::RemoveUnfinishedFiles() const {
  DIR* folder = opendir(directory_.c_str());
  if (folder == nullptr) return;
  const std::string prefix = "." + name_;
  while (const dirent* entry = readdir(folder)) {
    const std::string_view file = entry->d_name;
    if (file.size() > prefix.size() + kPendingSuffix.size() && file.starts_with(prefix) &&
        file.ends_with(kPendingSuffix)) {
      struct stat info {};
      if (fstatat(dirfd(folder), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
          !S_ISDIR(info.st_mode)) {
        unlinkat(dirfd(folder), entry->d_name, 0);
      }
    }
  }
  closedir(folder);
}

bool OutputFileSet::InFolder(const std::string& path) const {
  const std::size_t slash = path.rfind('/');
  const std::string parent = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  struct stat info {};
  return slash + 1 < path.size() && stat(parent.c_str(), &info) == 0 &&
         info.st_dev == folder_.st_dev && info.st_ino == folder_.st_ino;
}

bool OutputFileSet::Open(OutputFile& file, const std::string& finalPath, const char* mode) {
  if (!active_) return file.Open(finalPath, mode);
  if (!InFolder(finalPath) || IsFolder(finalPath)) return false;
  auto entry = std::find_if(entries_.begin(), entries_.end(),
                            [&](const Entry& e) { return e.finalPath == finalPath; });
  const bool continues = mode[0] == 'a';
  if (entry == entries_.end()) {
    entry = entries_.insert(entries_.end(), {finalPath, PendingPath(finalPath), false});
    if (continues && !CopyInto(finalPath, entry->pendingPath)) return false;
  }
  entry->complete = false;
  return file.Open(entry->pendingPath, mode);
}

bool OutputFileSet::Finish(OutputFile& file) {
  const std::string path = file.path();
  const bool written = file.Close();
  if (!active_) return written;
  for (Entry& entry : entries_) {
    if (entry.pendingPath == path) entry.complete = written;
  }
  return written;
}

std::optional<std::string> OutputFileSet::AddToTable(const std::string& path, const TableText& text,
                                                     const std::string& failure) {
  if (!active_) return AppendTable({path, text, failure});
  if (!tables_.empty() && tables_.back().path == path && text.headingLine.empty()) {
    tables_.back().text.text += text.text;
  } else {
    tables_.push_back({path, text, failure});
  }
  return std::nullopt;
}

std::optional<std::string> OutputFileSet::WriteRecord() const {
  std::string text;
  for (const Entry& entry : entries_) {
    if (entry.finalPath != last_) text += BaseName(entry.finalPath) + "\n";
  }
  for (const Entry& entry : entries_) {
    if (entry.finalPath == last_) text += BaseName(entry.finalPath) + "\n";
  }
  const std::string record = directory_ + "." + name_ + ".commit";
  // Named like the pending files, so that Begin removes one left by a kill.
  const std::string pending = record + ".pending";
  OutputFile file;
  file.Open(pending, "w");
  file.Write(text);
  std::optional<std::string> failure;
  if (!file.Close()) {
    failure = pending + ": " + file.Reason();
  } else if (rename(pending.c_str(), record.c_str()) != 0) {
    failure = record + ": " + ErrorText(errno);
  }
  if (failure) unlink(pending.c_str());
  return failure;
}

OutputFileSet::Outcome OutputFileSet::Commit() {
  Outcome outcome;
  if (!active_) {
    outcome.committed = true;
    return outcome;
  }
  const std::string notSaved = "The results of " + name_ + " were not saved: ";
  for (const Entry& entry : entries_) {
    if (!entry.complete) {
      outcome.failures.push_back(notSaved + entry.finalPath + " was not written completely");
      Discard();
      return outcome;
    }
  }
  if (!entries_.empty()) {
    if (auto failure = WriteRecord()) {
      outcome.failures.push_back(notSaved + *failure);
      Discard();
      return outcome;
    }
    std::vector<const Entry*> order;
    for (const Entry& entry : entries_) {
      if (entry.finalPath != last_) order.push_back(&entry);
    }
    for (const Entry& entry : entries_) {
      if (entry.finalPath == last_) order.push_back(&entry);
    }
    for (const Entry* entry : order) {
      if (rename(entry->pendingPath.c_str(), entry->finalPath.c_str()) != 0) {
        // The record stays: the next run or display of the name completes it.
        outcome.failures.push_back("The results of " + name_ + " are not complete yet: " +
                                   entry->finalPath + ": " + ErrorText(errno));
        entries_.clear();
        End();
        return outcome;
      }
    }
    unlink((directory_ + "." + name_ + ".commit").c_str());
  }
  entries_.clear();
  const std::vector<Table> tables = std::move(tables_);
  End();
  outcome.committed = true;
  for (const Table& table : tables) {
    if (auto failure = AppendTable(table)) outcome.failures.push_back(*failure);
  }
  return outcome;
}

std::optional<std::string> OutputFileSet::AppendTable(const Table& table) const {
  if (item_output_ != nullptr) {
    return item_output_->AddTable(table.path, table.text, table.failure + " ");
  }
  if (auto reason = AppendToTable(table.path, table.text)) return table.failure + " " + *reason;
  return std::nullopt;
}

void OutputFileSet::Discard() {
  for (const Entry& entry : entries_) unlink(entry.pendingPath.c_str());
  entries_.clear();
  End();
}

void OutputFileSet::End() {
  tables_.clear();
  last_.clear();
  lock_.Reset();
  active_ = false;
}

}  // namespace corvane
