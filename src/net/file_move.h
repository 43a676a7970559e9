// Moving a finished download to its permanent name, also across file
// systems.
//
// MoveFileReplacing renames `from` to `to`, replacing a file of that name.
// When the two lie on different file systems it copies instead: into a
// temporary file beside `to`, which replaces `to` only once the whole copy
// has reached the disk, and then deletes `from`. On failure `to` is left as
// it was, `from` stays, and *error says why.
#pragma once

#include <string>

namespace corvane {

bool MoveFileReplacing(const std::string& from, const std::string& to, std::string* error);

// The copying half of the above, for a move between file systems.
bool CopyFileReplacing(const std::string& from, const std::string& to, std::string* error);

}  // namespace corvane
