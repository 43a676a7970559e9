// The last few answers of the data server, so that a repeated request (a
// retry, a run started again, a benchmark) does not make its answer again.
// An answer is a pure function of its key, which names the source's version
// of the day (for a day file: its path, size and modification time).
// Thread-safe; the oldest entry goes first when the cache is full.
#pragma once

#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

namespace corvane::dataserver {

// A made answer: the body as sent and its content type.
struct Answer {
  std::string body;
  std::string type;
};

class AnswerCache {
 public:
  explicit AnswerCache(std::size_t capacity) : capacity_(capacity) {}

  std::shared_ptr<const Answer> Find(const std::string& key);
  void Store(const std::string& key, std::shared_ptr<const Answer> answer);

 private:
  std::mutex mutex_;
  std::size_t capacity_;
  std::list<std::pair<std::string, std::shared_ptr<const Answer>>> entries_;  // newest first
};

}  // namespace corvane::dataserver
