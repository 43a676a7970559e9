#include "input/first_word.h"

#include "core/c_format.h"

namespace corvane {
namespace {

constexpr std::string_view kMessagePageWord = "<html>";

}  // namespace

void FirstWord::Feed(std::string_view chunk) {
  for (char c : chunk) {
    if (done_) return;
    if (IsAsciiSpace(c)) {
      done_ = started_;
    } else {
      started_ = true;
      // Only whether the word is exactly the tag matters: keep one character
      // more than the tag to tell a longer word apart.
      if (word_.size() <= kMessagePageWord.size()) word_ += c;
    }
  }
}

bool FirstWord::IsMessagePage() const { return word_ == kMessagePageWord; }

}  // namespace corvane
