// The egg data files that the items of one batch read, parsed once and kept
// for the other items that read the same file.
//
// An entry is found by the file's path and used only while the file is the
// same one: the same device and inode, size and modification time (to the
// nanosecond) as when it was parsed; a file written or replaced since is
// parsed again. Entries are kept up to a bound on the bytes they hold
// (least recently used ones go first; a file larger than the bound is parsed
// for its item and not kept). Runs that hold an entry keep it alive after it
// left the cache.
//
// Safe for the jobs of a parallel batch: an item that asks for a file another
// item is parsing waits for that parse rather than parsing it too. When that
// parse fails (its run reports why), the waiting item parses the file itself,
// so that it reports the failure in its own run.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <future>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "input/parsed_egg_file.h"

namespace corvane {

class ParsedFileCache {
 public:
  // 256 MiB: about 40 days of 60 eggs.
  static constexpr std::int64_t kDefaultBound = std::int64_t{256} << 20;

  explicit ParsedFileCache(std::int64_t boundBytes = kDefaultBound) : bound_(boundBytes) {}

  // Parses (or fails to parse, reporting why, and returns nullptr) the file.
  using Parse = std::function<std::shared_ptr<const ParsedEggFile>()>;

  // The parsed file at path, from the cache when it is still the same file,
  // else from parse (kept when it succeeded and fits the bound).
  std::shared_ptr<const ParsedEggFile> Get(const std::string& path, const Parse& parse);

  // What the cache did so far (tests and benchmarks): files parsed through
  // it, and answers given from it.
  std::int64_t Parses() const;
  std::int64_t Hits() const;
  std::int64_t HeldBytes() const;

 private:
  // The identity of a file's contents, as far as the file system tells it.
  struct Stamp {
    dev_t device = 0;
    ino_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    bool operator==(const Stamp&) const = default;
  };
  struct Entry {
    Stamp stamp;
    std::shared_future<std::shared_ptr<const ParsedEggFile>> parsed;
    bool ready = false;
    std::int64_t bytes = 0;
    std::list<std::string>::iterator use;  // place in use_order_
  };

  static bool StampOf(const std::string& path, Stamp& stamp);
  void Forget(std::map<std::string, Entry>::iterator entry);
  void Trim();

  const std::int64_t bound_;
  mutable std::mutex mutex_;
  std::map<std::string, Entry> entries_;
  std::list<std::string> use_order_;  // most recently used first
  std::int64_t held_ = 0;
  std::int64_t parses_ = 0;
  std::int64_t hits_ = 0;
};

}  // namespace corvane
