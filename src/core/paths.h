// Small path helpers. Directory texts of the program end with a separator,
// and file names are built by plain concatenation.
#pragma once

#include <string>
#include <string_view>

namespace corvane {

inline constexpr char kPathSeparator = '/';

// The text with a separator appended when it does not end with one. An empty
// text stays empty.
std::string WithSeparator(std::string directory);

// The system's temporary directory, ending with a separator.
std::string SystemTempDirectory();

// Corvane's folder in the user's cache directory, ending with a separator:
// "$XDG_CACHE_HOME/corvane/", or "$HOME/.cache/corvane/" when XDG_CACHE_HOME
// is unset or not an absolute path; empty when neither is known. Neither
// folder is made here.
std::string UserCacheDirectory();

// True when a file can be created in the directory: creates a file with a
// unique name there, closes it and deletes it. Never touches existing files.
bool IsWritableDirectory(const std::string& directory);

// The text from the last "." of the file name on (".csv", ".gz"), empty when
// the file name has no "."; a "." in a folder name does not count.
std::string_view Extension(std::string_view path);

// The path without its Extension.
std::string_view WithoutExtension(std::string_view path);

}  // namespace corvane
