// A stand-in for the gnuplot executable, so that no plot window opens in a
// test: a shell script that records the arguments it was started with.
#pragma once

#include <chrono>
#include <string>

namespace corvane::testing {

// Writes an executable script at `script` that writes its arguments, one per
// line, into the file `record` (whole: it appears only once complete).
void WriteGnuplotRecorder(const std::string& script, const std::string& record);

// The recorded arguments once the record exists; "" when it does not appear
// within the timeout (the launch is detached, so the record comes late).
std::string WaitForRecord(const std::string& record,
                          std::chrono::milliseconds timeout = std::chrono::seconds(60));

}  // namespace corvane::testing
