#include "input/parsed_file_cache.h"

#include <sys/stat.h>

namespace corvane {

bool ParsedFileCache::StampOf(const std::string& path, Stamp& stamp) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  stamp.device = info.st_dev;
  stamp.inode = info.st_ino;
  stamp.size = static_cast<std::int64_t>(info.st_size);
  stamp.modifiedNs = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 +
                     static_cast<std::int64_t>(info.st_mtim.tv_nsec);
  return true;
}

void ParsedFileCache::Forget(std::map<std::string, Entry>::iterator entry) {
  if (entry->second.ready) held_ -= entry->second.bytes;
  use_order_.erase(entry->second.use);
  entries_.erase(entry);
}

// Drops the least recently used parsed entries until the held bytes fit.
void ParsedFileCache::Trim() {
  for (auto use = use_order_.end(); held_ > bound_ && use != use_order_.begin();) {
    --use;
    const auto entry = entries_.find(*use);
    if (!entry->second.ready) continue;  // still being parsed
    use = std::next(use);
    Forget(entry);
  }
}

std::shared_ptr<const ParsedEggFile> ParsedFileCache::Get(const std::string& path,
                                                          const Parse& parse) {
  Stamp before;
  if (!StampOf(path, before)) return parse();  // not there, or not a file: parse says so
  std::promise<std::shared_ptr<const ParsedEggFile>> promise;
  std::shared_future<std::shared_ptr<const ParsedEggFile>> other;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto entry = entries_.find(path);
    if (entry != entries_.end() && !(entry->second.stamp == before)) {
      // The file changed. An older version still being parsed is left to
      // its parse, which will not keep it.
      if (!entry->second.ready) return parse();
      Forget(entry);
      entry = entries_.end();
    }
    if (entry != entries_.end()) {
      use_order_.splice(use_order_.begin(), use_order_, entry->second.use);
      if (entry->second.ready) {
        ++hits_;
        return entry->second.parsed.get();
      }
      other = entry->second.parsed;
    } else {
      use_order_.push_front(path);
      Entry fresh;
      fresh.stamp = before;
      fresh.parsed = promise.get_future().share();
      fresh.use = use_order_.begin();
      entries_.emplace(path, std::move(fresh));
      ++parses_;
    }
  }
  if (other.valid()) {
    // Another item parses the file: wait for it.
    std::shared_ptr<const ParsedEggFile> parsed = other.get();
    if (parsed == nullptr) return parse();  // its failure is reported in this run too
    std::lock_guard<std::mutex> lock(mutex_);
    ++hits_;
    return parsed;
  }

  std::shared_ptr<const ParsedEggFile> parsed;
  try {
    parsed = parse();
  } catch (...) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      Forget(entries_.find(path));
    }
    promise.set_value(nullptr);
    throw;
  }
  // Kept only when the file stayed the same while it was parsed.
  Stamp after;
  const bool keep =
      parsed != nullptr && StampOf(path, after) && after == before && parsed->Bytes() <= bound_;
  promise.set_value(parsed);
  std::lock_guard<std::mutex> lock(mutex_);
  const auto entry = entries_.find(path);
  if (keep) {
    entry->second.ready = true;
    entry->second.bytes = parsed->Bytes();
    held_ += entry->second.bytes;
    Trim();
  } else {
    Forget(entry);
  }
  return parsed;
}

std::int64_t ParsedFileCache::Parses() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return parses_;
}

std::int64_t ParsedFileCache::Hits() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return hits_;
}

std::int64_t ParsedFileCache::HeldBytes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return held_;
}

}  // namespace corvane
