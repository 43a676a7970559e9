// Validation of a run's data name, which becomes a directory name below the
// output root, the stem of the result file names and part of plot scripts.
//
// DataNameError refuses a name that is empty, "." or "..", or that holds a
// path separator ("/" or "\"), a quote (double, single or back quote) or a
// control character; it returns the message to show, or nullopt when the
// name is acceptable.
#pragma once

#include <optional>
#include <string>

namespace corvane {

std::optional<std::string> DataNameError(const std::string& name);

}  // namespace corvane
