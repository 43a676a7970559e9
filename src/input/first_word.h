// FirstWord: the first word of a text that streams past in chunks, as far as
// it tells the data server's message page from egg data.
//
// The data server answers a day without data with a message page instead of
// egg data: a text whose first word (after leading white space) is exactly
// "<html>". Feed the text's bytes in order; once the word is complete, later
// bytes are ignored.
#pragma once

#include <string>
#include <string_view>

namespace corvane {

class FirstWord {
 public:
  void Feed(std::string_view chunk);
  // The word has ended (white space followed it).
  bool Complete() const { return done_; }
  bool IsMessagePage() const;

 private:
  std::string word_;
  bool started_ = false;
  bool done_ = false;
};

}  // namespace corvane
