#include "app/time_completion.h"

namespace corvane {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool IsDateAlone(const std::string& text) { return text.size() >= 8 && text.size() <= 10; }

}  // namespace

std::string Trimmed(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

bool CompleteTimes(std::string& start, std::string& stop, std::string& event) {
  start = Trimmed(start);
  stop = Trimmed(stop);
  event = Trimmed(event);
  if (start.empty()) return false;
  const std::string date = start.substr(0, start.find(' '));
  if (IsDateAlone(start)) start += " 00:00:00";
  if (stop.empty()) {
    stop = date + " 23:59:59";
  } else if (IsDateAlone(stop)) {
    stop += " 23:59:59";
  }
  return true;
}

bool CompleteTimes(std::string& start, std::string& stop, std::string& event, CompletedStop& last) {
  std::string typed = Trimmed(stop);
  if (!last.completed.empty() && typed == last.completed) typed = last.typed;
  std::string completed = typed;
  if (!CompleteTimes(start, completed, event)) {
    stop = Trimmed(stop);
    return false;
  }
  stop = completed;
  last = completed == typed ? CompletedStop{} : CompletedStop{typed, completed};
  return true;
}

}  // namespace corvane
