#include "dataserver/answer_cache.h"

namespace corvane::dataserver {

std::shared_ptr<const Answer> AnswerCache::Find(const std::string& key) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->first == key) {
      entries_.splice(entries_.begin(), entries_, it);
      return entries_.front().second;
    }
  }
  return nullptr;
}

void AnswerCache::Store(const std::string& key, std::shared_ptr<const Answer> answer) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->first == key) {
      entries_.erase(it);
      break;
    }
  }
  entries_.emplace_front(key, std::move(answer));
  while (entries_.size() > capacity_) entries_.pop_back();
}

}  // namespace corvane::dataserver
