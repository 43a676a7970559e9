// Completion of the typed start, stop and event times before a run.
//
// All three texts are trimmed of white space at both ends. A start of 8 to 10
// characters (a date alone) gets " 00:00:00"; an empty stop becomes the
// start's date (the start up to its first blank) followed by " 23:59:59"; a
// stop of 8 to 10 characters gets " 23:59:59". The event text is only
// trimmed. Returns false, after trimming, only when the start is empty.
#pragma once

#include <string>

namespace corvane {

bool CompleteTimes(std::string& start, std::string& stop, std::string& event);

// The text without white space at either end.
std::string Trimmed(const std::string& text);

}  // namespace corvane
