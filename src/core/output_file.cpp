#include "core/output_file.h"

#include <cstdarg>

#include "core/c_format.h"

namespace corvane {

OutputFile::~OutputFile() {
  if (file_ != nullptr) std::fclose(file_);
}

bool OutputFile::Open(const std::string& path, const char* mode) {
  if (file_ != nullptr) Close();
  file_ = std::fopen(path.c_str(), mode);
  ok_ = file_ != nullptr;
  return ok_;
}

bool OutputFile::Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = CFormatV(format, args);
  va_end(args);
  return Write(text);
}

bool OutputFile::Write(std::string_view bytes) {
  if (file_ == nullptr) return false;
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
    ok_ = false;
  return ok_;
}

bool OutputFile::Rewind() {
  if (file_ == nullptr) return false;
  if (std::fseek(file_, 0, SEEK_SET) != 0) ok_ = false;
  return ok_;
}

bool OutputFile::Close() {
  if (file_ == nullptr) return false;
  const bool flushed = std::fflush(file_) == 0 && std::ferror(file_) == 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  const bool result = ok_ && flushed && closed;
  ok_ = false;
  return result;
}

bool AppendTextLine(const std::string& path, std::string_view text) {
  OutputFile file;
  if (!file.Open(path, "a")) return false;
  file.Write(text);
  file.Write("\n");
  return file.Close();
}

}  // namespace corvane
