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

// The stop text of the form's last completion: as the user had typed it
// (trimmed) and as the form completed it. Both empty when the stop was used
// as typed, or when nothing has been completed yet.
struct CompletedStop {
  std::string typed;
  std::string completed;
};

// CompleteTimes for a form that shows the completed texts back: a stop that
// still reads as last completed (the user has not edited it since) is
// completed again from what was typed then, so that a new start with a stop
// left empty gets its own day's end instead of the previous start's. last is
// updated to this completion (unchanged when the start is empty).
bool CompleteTimes(std::string& start, std::string& stop, std::string& event, CompletedStop& last);

// The text without white space at either end.
std::string Trimmed(const std::string& text);

}  // namespace corvane
