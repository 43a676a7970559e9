// A text or binary output file that is closed on every path and reports
// whether everything written reached the disk, and if not, why.
//
// Writers print through Printf (C-locale formatting) or Write; each returns
// false once any write failed, and Close returns false when any write or the
// close itself failed. A file still open at destruction is closed quietly, so
// callers that care about the result call Close themselves. Reason() names
// the first failure ("No space left on device").
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
  // The path given to the last Open.
  const std::string& path() const { return path_; }

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

  // The system's words for the first failure since Open (of the open, a
  // write or the close); empty when nothing failed.
  std::string Reason() const;

 private:
  void Failed();

  std::FILE* file_ = nullptr;
  std::string path_;
  bool ok_ = false;
  int error_ = 0;  // errno of the first failure, 0 while none
};

// Opens path for appending, writes text followed by a line feed and closes
// it. Returns false when the file could not be opened or written. For logs;
// tables that runs share are appended to with AppendToTable.
bool AppendTextLine(const std::string& path, std::string_view text);

// The system's words for an errno value ("No space left on device").
std::string ErrorText(int error);

}  // namespace corvane
