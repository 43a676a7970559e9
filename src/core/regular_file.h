// Opening the files the program reads as input (egg data, subgroup, batch
// and information files): only regular files.
//
// A FIFO would block the reading thread until some other program writes to
// it, a device such as /dev/zero never ends, and a directory holds no text.
// These helpers refuse all three without waiting on them.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace corvane {

struct StdioCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using StdioFile = std::unique_ptr<std::FILE, StdioCloser>;

// For a name that exists but is not a regular file (links are followed):
// "it is a directory", "it is a FIFO", "it is a device" or "it is not a
// regular file". nullopt for a regular file and for a name that cannot be
// examined (missing, no permission). Never opens the file.
std::optional<std::string> NotRegularFile(const std::string& path);

// Opens a regular file for reading. Returns -1 for anything else: with
// errno set for a name that cannot be opened, or with *notRegular (when
// given) set to the text above for one that is not a regular file. The type
// is checked before the open and again on the opened descriptor (which is
// opened without blocking), so a name swapped for a FIFO in between is
// refused too rather than waited on. The caller closes the descriptor.
int OpenRegularFileDescriptor(const std::string& path, std::string* notRegular = nullptr);

// The same as a stdio stream in binary mode, or null.
StdioFile OpenRegularFile(const std::string& path, std::string* notRegular = nullptr);

}  // namespace corvane
