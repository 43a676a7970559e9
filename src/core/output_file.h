// A text or binary output file that is closed on every path and reports
// whether everything written reached the disk.
//
// Writers print through Printf (C-locale formatting) or Write; each returns
// false once any write failed, and Close returns false when any write or the
// close itself failed. A file still open at destruction is closed quietly, so
// callers that care about the result call Close themselves.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace corvane {

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Opens path with an fopen mode ("w", "wb", "a", ...). Closes a file that
  // was open before. Returns whether the file is open.
  bool Open(const std::string& path, const char* mode);
  bool IsOpen() const { return file_ != nullptr; }

  bool Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  bool Write(std::string_view bytes);

  // Moves back to the start of the file, so that what follows overwrites it
  // (a header whose sizes are known only at the end). A failure counts as a
  // failed write.
  bool Rewind();

  // True while no write has failed since Open.
  bool Ok() const { return ok_; }

  // Closes the file. True when every write and the close succeeded.
  bool Close();

 private:
  std::FILE* file_ = nullptr;
  bool ok_ = false;
};

// Opens path for appending, writes text followed by a line feed and closes
// it. Returns false when the file could not be opened or written.
bool AppendTextLine(const std::string& path, std::string_view text);

}  // namespace corvane
