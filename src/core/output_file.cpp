#include "core/output_file.h"

#include <cerrno>
#include <cstdarg>
#include <system_error>

#include "core/c_format.h"

namespace corvane {

OutputFile::~OutputFile() {
  if (file_ != nullptr) std::fclose(file_);
}

bool OutputFile::Open(const std::string& path, const char* mode) {
  if (file_ != nullptr) Close();
  path_ = path;
  error_ = 0;
  errno = 0;
  file_ = std::fopen(path.c_str(), mode);
  ok_ = file_ != nullptr;
  if (!ok_) Failed();
  return ok_;
}

void OutputFile::Failed() {
  if (error_ == 0) error_ = errno != 0 ? errno : EIO;
  ok_ = false;
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
  if (!ok_ || bytes.empty()) return ok_;
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) Failed();
  return ok_;
}

bool OutputFile::Rewind() {
  if (file_ == nullptr) return false;
  errno = 0;
  if (std::fseek(file_, 0, SEEK_SET) != 0) Failed();
  return ok_;
}

bool OutputFile::Close() {
  if (file_ == nullptr) return false;
  errno = 0;
  if (std::fflush(file_) != 0 || std::ferror(file_) != 0) Failed();
  errno = 0;
  if (std::fclose(file_) != 0) Failed();
  file_ = nullptr;
  const bool result = ok_;
  ok_ = false;
  return result;
}

std::string OutputFile::Reason() const { return error_ == 0 ? std::string() : ErrorText(error_); }

bool AppendTextLine(const std::string& path, std::string_view text) {
  OutputFile file;
  if (!file.Open(path, "a")) return false;
  file.Write(text);
  file.Write("\n");
  return file.Close();
}

std::string ErrorText(int error) { return std::generic_category().message(error); }

}  // namespace corvane
